#include "framework/list_box.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/texts.h"

namespace {

constexpr char kBackspace = 8;
constexpr char kEnter = 13;
constexpr char kEscape = 27;

}  // namespace

TListBoxBase::TListBoxBase(TWinControl& parent) : TItemControl(parent, kListBoxMessages) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
}

void TListBoxBase::CheckIndex(int index) {
  if (index < 0 || index >= ItemCount()) throw EListError(index);
}

bool TListBoxBase::ItemSelected(int index) {
  CheckIndex(index);
  return SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void TListBoxBase::SetItemSelected(int index, bool selected) {
  CheckIndex(index);
  if (multiSelect_) {
    SendMessageA(Handle(), LB_SETSEL, selected ? TRUE : FALSE, index);
  } else if (selected) {
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  } else if (CurrentIndex() == index) {
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
}

void TListBoxBase::SelectAll() {
  if (!multiSelect_) return;
  const int count = ItemCount();
  for (int index = 0; index < count; ++index) SendMessageA(Handle(), LB_SETSEL, TRUE, index);
}

int TListBoxBase::CurrentIndex() {
  if (!multiSelect_) return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
  const int caret = static_cast<int>(SendMessageA(Handle(), LB_GETCARETINDEX, 0, 0));
  return caret < ItemCount() ? caret : -1;
}

void TListBoxBase::SetCurrentIndex(int index) {
  if (multiSelect_) {
    SendMessageA(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
  } else {
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
}

void TListBoxBase::SetMultiSelect(bool multiSelect) {
  WriteProperty(multiSelect_, multiSelect, [this] { RecreateWindow(); });
}

void TListBoxBase::SetExtendedSelect(bool extendedSelect) {
  WriteProperty(extendedSelect_, extendedSelect, [this] { RecreateWindow(); });
}

void TListBoxBase::SetSorted(bool sorted) {
  WriteProperty(sorted_, sorted, [this] { RecreateWindow(); });
}

void TListBoxBase::SetIntegralHeight(bool integralHeight) {
  WriteProperty(integralHeight_, integralHeight, [this] { RecreateWindow(); });
}

void TListBoxBase::SetColumns(int columns) {
  columns = std::max(columns, 0);
  if (columns == columns_) return;
  const bool styleChanges = (columns == 0) != (columns_ == 0);
  columns_ = columns;
  if (styleChanges) {
    RecreateWindow();
  } else {
    FitColumnWidth();
  }
}

void TListBoxBase::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(left, top, width, height);
  FitColumnWidth();
}

void TListBoxBase::FitColumnWidth() {
  if (columns_ == 0 || !HandleAllocated()) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  // At least a pixel: more columns than pixels would give width 0, which the list divides by.
  const int width = std::max(1, static_cast<int>(client.right / columns_));
  SendMessageA(Handle(), LB_SETCOLUMNWIDTH, static_cast<WPARAM>(width), 0);
}

void TListBoxBase::Click() {
  if (OnClick) OnClick(*this);
}

void TListBoxBase::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

std::uint32_t TListBoxBase::KeyTime() const { return GetTickCount(); }

void TListBoxBase::KeyPress(char& key) {
  if (typeAhead_.Type(static_cast<unsigned char>(key), KeyTime())) ShowTypedItem();
  if (key != kBackspace && key != kEnter && key != kEscape) key = 0;
}

// The first item that begins with the typed text, without regard to case, becomes the only
// selected and current item; no such item changes nothing. An empty text means item 0.
void TListBoxBase::ShowTypedItem() {
  const std::string& text = typeAhead_.Text();
  if (text.empty()) {
    SetCurrentIndex(0);
    Click();
    return;
  }
  const LRESULT found = SendMessageA(Handle(), LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (found == LB_ERR) return;
  const auto index = static_cast<int>(found);
  if (multiSelect_) {
    SendMessageA(Handle(), LB_SETSEL, FALSE, -1);
    SendMessageA(Handle(), LB_SETSEL, TRUE, index);
  }
  SetCurrentIndex(index);
  Click();
}

void TListBoxBase::FillCreateParams(CreateParams& params) const {
  params.className = "LISTBOX";
  params.exStyle |= WS_EX_CLIENTEDGE;
  params.style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  if (sorted_) params.style |= LBS_SORT;
  if (!integralHeight_) params.style |= LBS_NOINTEGRALHEIGHT;
  if (multiSelect_) params.style |= extendedSelect_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (columns_ > 0) params.style |= LBS_MULTICOLUMN;
}

void TListBoxBase::ApplyItemLayout() {
  // The creation measured the items through the parent already; this covers a parent that
  // does not reflect WM_MEASUREITEM.
  SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, ItemHeight());
  FitColumnWidth();
}

LRESULT TListBoxBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CHAR: return OnChar(wParam, lParam);
    default: return DefaultHandler(message, wParam, lParam);
  }
}

// The list is a Unicode window (see win_control.h); the search works on the ANSI code page's
// bytes, and a double-byte character is pressed as its two bytes.
LRESULT TListBoxBase::OnChar(WPARAM wParam, LPARAM lParam) {
  const auto character = static_cast<wchar_t>(wParam);
  char bytes[2] = {};
  const int length = WideCharToMultiByte(CP_ACP, 0, &character, 1, bytes, sizeof bytes, nullptr, nullptr);
  if (length <= 0) return DefaultHandler(WM_CHAR, wParam, lParam);
  bool consumed = false;
  for (int i = 0; i < length; ++i) {
    char key = bytes[i];
    KeyPress(key);
    consumed = key == 0;
  }
  return consumed ? 0 : DefaultHandler(WM_CHAR, wParam, lParam);
}

void TListBoxBase::CommandNotified(UINT code) {
  switch (code) {
    case LBN_SELCHANGE: Click(); break;
    case LBN_DBLCLK: DblClick(); break;
    default: break;
  }
}
