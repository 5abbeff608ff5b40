#include "framework/combo_box.h"

TComboBoxBase::TComboBoxBase(TWinControl& parent) : TItemControl(parent, kComboBoxMessages) {
  SetTabStop(true);
  SetBounds(0, 0, 145, 21);
}

int TComboBoxBase::ItemIndex() { return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBoxBase::SetItemIndex(int index) { SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string TComboBoxBase::Text() {
  const int index = ItemIndex();
  return index < 0 ? std::string() : ItemText(index);
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

// The window's height includes the drop-down, which shows kDropDownCount items.
void TComboBoxBase::FillCreateParams(CreateParams& params) const {
  params.className = "COMBOBOX";
  params.style |= WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
  params.height += ItemHeight() * kDropDownCount + 2;
}

void TComboBoxBase::ApplyItemLayout() {
  // The creation measured through the parent already; this covers a parent that does not
  // reflect WM_MEASUREITEM. -1 is the closed box's field.
  SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ItemHeight());
  SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, ItemHeight());
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
