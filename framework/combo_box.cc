#include "framework/combo_box.h"

#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/texts.h"

TComboBoxBase::TComboBoxBase(TWinControl& parent) : TWinControl(&parent) {
  SetTabStop(true);
  SetBounds(0, 0, 145, 21);
}

int TComboBoxBase::AddItem(const std::string& text, void* object) {
  const HWND box = Handle();
  const LRESULT index = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR || index == CB_ERRSPACE) throw EOutOfResources(kCannotInsertLine);
  SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
  return static_cast<int>(index);
}

void TComboBoxBase::Clear() { SendMessageA(Handle(), CB_RESETCONTENT, 0, 0); }

int TComboBoxBase::ItemCount() { return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0)); }

std::string TComboBoxBase::ItemText(int index) {
  if (index < 0) throw EStringListError(index);
  const HWND box = Handle();
  const LRESULT length = SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) throw EStringListError(index);
  // The length may over-estimate double-byte text; the copy says how much came.
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (copied == CB_ERR) throw EStringListError(index);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

void* TComboBoxBase::ItemObject(int index) {
  if (index < 0 || index >= ItemCount()) throw EStringListError(index);
  return reinterpret_cast<void*>(SendMessageA(Handle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int TComboBoxBase::ItemIndex() { return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBoxBase::SetItemIndex(int index) { SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string TComboBoxBase::Text() {
  const int index = ItemIndex();
  return index < 0 ? std::string() : ItemText(index);
}

void TComboBoxBase::SetItemHeight(int itemHeight) {
  if (itemHeight <= 0 || itemHeight == itemHeight_) return;
  itemHeight_ = itemHeight;
  RecreateWindow();
}

bool TComboBoxBase::DroppedDown() { return SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

void TComboBoxBase::SetDroppedDown(bool droppedDown) {
  SendMessageA(Handle(), CB_SHOWDROPDOWN, droppedDown ? TRUE : FALSE, 0);
}

void TComboBoxBase::Click() {
  if (OnClick) OnClick(*this);
}

void TComboBoxBase::Change() {
  if (OnChange) OnChange(*this);
}

void TComboBoxBase::DropDown() {
  if (OnDropDown) OnDropDown(*this);
}

void TComboBoxBase::DrawItem(const OwnerDrawItem& item) { DrawItemText(item, ItemText(item.index)); }

// The window's height includes the drop-down, which shows kDropDownCount items.
void TComboBoxBase::FillCreateParams(CreateParams& params) const {
  params.className = "COMBOBOX";
  params.style |= WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
  params.height += itemHeight_ * kDropDownCount + 2;
}

void TComboBoxBase::WindowCreated() {
  TWinControl::WindowCreated();
  const HWND box = Handle();
  // The creation measured through the parent already; this covers a parent that does not
  // reflect WM_MEASUREITEM. -1 is the closed box's field.
  SendMessageA(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight_);
  SendMessageA(box, CB_SETITEMHEIGHT, 0, itemHeight_);
  if (savedItems_.empty()) return;
  const auto items = std::exchange(savedItems_, {});
  const RedrawSuspended suspended(box);
  for (const auto& [text, object] : items) AddItem(text, object);
}

void TComboBoxBase::WindowDestroying() {
  TWinControl::WindowDestroying();
  savedItems_.clear();
  const int count = ItemCount();
  for (int index = 0; index < count; ++index) savedItems_.emplace_back(ItemText(index), ItemObject(index));
}

LRESULT TComboBoxBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Enter and Esc are no typing: they close a dropped list or go to the form's buttons.
  if (message == WM_CHAR && autoDropDown_ && wParam != VK_RETURN && wParam != VK_ESCAPE && !DroppedDown()) {
    SetDroppedDown(true);
  }
  return DefaultHandler(message, wParam, lParam);
}

void TComboBoxBase::CommandNotified(UINT code) {
  switch (code) {
    case CBN_SELCHANGE:
      Click();
      Change();
      break;
    case CBN_DROPDOWN: DropDown(); break;
    default: break;
  }
}

void TComboBoxBase::DrawItemRequested(const DRAWITEMSTRUCT& item) {
  PaintOwnerDrawnItem(item, ODT_COMBOBOX, Font().Handle(), [this](const OwnerDrawItem& drawn) { DrawItem(drawn); });
}

void TComboBoxBase::MeasureItemRequested(MEASUREITEMSTRUCT& item) { item.itemHeight = static_cast<UINT>(itemHeight_); }
