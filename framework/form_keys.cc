// The dialog keys of a form, handled before the focused control sees them.

#include <algorithm>
#include <vector>

#include "framework/form.h"
#include "framework/guard.h"

namespace {

bool KeyHeld(int virtualKey) { return GetKeyState(virtualKey) < 0; }

bool IsArrow(WPARAM key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

bool CanTakeFocus(HWND window) { return IsWindowVisible(window) && IsWindowEnabled(window); }

}  // namespace

bool TForm::PreprocessKey(MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const WPARAM key = message.wParam;
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && !IsArrow(key)) return false;
  const HWND focus = GetFocus();
  if (focus && focus != Handle()) {
    // A control that takes the key itself (the drive box while its list is dropped down,
    // a multi-line edit) keeps it.
    const LRESULT code =
        SendMessageA(focus, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&message));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    if (key == VK_TAB && (code & DLGC_WANTTAB)) return false;
  }
  if (KeyHeld(VK_CONTROL) || KeyHeld(VK_MENU)) return false;

  if (key == VK_TAB) {
    if (const HWND next = GetNextDlgTabItem(Handle(), focus, KeyHeld(VK_SHIFT))) ::SetFocus(next);
    return true;
  }
  if (IsArrow(key)) {
    if (!ButtonOf(focus)) return false;
    MoveFocusAlongTabOrder(focus, key == VK_RIGHT || key == VK_DOWN);
    return true;
  }
  if (KeyHeld(VK_SHIFT)) return false;
  return ClickButtonForKey(key, focus);
}

bool TForm::ClickButtonForKey(WPARAM key, HWND focus) {
  TWinControl* button = nullptr;
  if (key == VK_RETURN) {
    button = ButtonOf(focus);
    if (!button) button = FindButton(&DialogKeyRole::clickedByEnter);
  } else {
    button = FindButton(&DialogKeyRole::clickedByEscape);
  }
  if (!button || !button->HandleAllocated() || !CanTakeFocus(button->Handle())) return false;
  // Clicked in place, without moving the focus; what the click raises goes to the
  // application with the button as sender, as a mouse click's would.
  Guarded(button, 0, [button] {
    button->KeyClick();
    return 0;
  });
  return true;
}

void TForm::MoveFocusAlongTabOrder(HWND focus, bool forward) {
  // Every windowed control but labels, the progress bar included although Tab skips it.
  std::vector<TWinControl*> order;
  for (TWinControl* control : Children()) {
    if (control->KeyRole().kind != DialogKeyRole::Label && control->HandleAllocated() &&
        CanTakeFocus(control->Handle())) {
      order.push_back(control);
    }
  }
  std::stable_sort(order.begin(), order.end(), [](const TWinControl* a, const TWinControl* b) {
    return a->TabOrder() < b->TabOrder();
  });
  const auto current = std::find_if(order.begin(), order.end(),
                                    [focus](TWinControl* c) { return c->Handle() == focus; });
  if (current == order.end()) return;
  const auto count = static_cast<std::ptrdiff_t>(order.size());
  const std::ptrdiff_t index = current - order.begin();
  const std::ptrdiff_t next = (index + (forward ? 1 : count - 1)) % count;
  order[static_cast<size_t>(next)]->SetFocus();
}

TWinControl* TForm::ButtonOf(HWND window) const {
  if (!window) return nullptr;
  for (TWinControl* control : Children()) {
    const bool button = control->KeyRole().kind == DialogKeyRole::PushButton;
    if (button && control->HandleAllocated() && control->Handle() == window) return control;
  }
  return nullptr;
}

TWinControl* TForm::FindButton(bool DialogKeyRole::*role) const {
  for (TWinControl* control : Children()) {
    if (control->KeyRole().*role) return control;
  }
  return nullptr;
}

void TForm::ButtonStateChanged() {
  TWinControl* focused = nullptr;
  for (TWinControl* control : Children()) {
    const DialogKeyRole role = control->KeyRole();
    if (role.kind == DialogKeyRole::PushButton && role.focused) {
      focused = control;
      break;
    }
  }
  for (TWinControl* control : Children()) {
    const DialogKeyRole role = control->KeyRole();
    if (role.kind == DialogKeyRole::PushButton) {
      control->ShowDefaultFrame(focused ? control == focused : role.clickedByEnter);
    }
  }
}
