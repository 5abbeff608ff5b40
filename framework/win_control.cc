#include "framework/win_control.h"

#include <algorithm>
#include <utility>

#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/guard.h"
#include "framework/texts.h"

TWinControl::TWinControl(TWinControl& parent) : parent_(&parent), ownerFont_(parent.ownerFont_) {
  id_ = parent_->nextChildId_++;
  tabOrder_ = static_cast<int>(parent_->children_.size());
  parent_->children_.push_back(this);
}

TWinControl::TWinControl(const TFont& ownerFont) : parent_(nullptr), ownerFont_(&ownerFont) {}

TWinControl::~TWinControl() {
  // Told before the window goes, so no linked control is left pointing at a control being
  // torn down.
  for (TWinControl* other : std::exchange(destructionWatchers_, {})) {
    std::erase(other->destructionWatchers_, this);
    other->ControlDestroyed(*this);
  }
  DestroyHandle();
  for (TWinControl* child : children_) child->parent_ = nullptr;
  if (parent_) std::erase(parent_->children_, this);
}

HWND TWinControl::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TWinControl::CreateHandle() {
  CreateParams params;
  if (parent_) {
    params.parentWindow = parent_->Handle();
    params.style = WS_CHILD | WS_CLIPSIBLINGS;
  }
  if (visible_) params.style |= WS_VISIBLE;
  if (tabStop_) params.style |= WS_TABSTOP;
  params.left = left_;
  params.top = top_;
  params.width = width_;
  params.height = height_;
  FillCreateParams(params);

  const HMENU childId = parent_ ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id_)) : nullptr;
  const HWND window = CreateWindowExA(params.exStyle, params.className, text_.c_str(), params.style,
                                      params.left, params.top, params.width, params.height,
                                      params.parentWindow, childId, GetModuleHandleA(nullptr),
                                      params.ownClass ? this : nullptr);
  if (!window) throw EOutOfResources(kCannotCreateWindow);
  if (!params.ownClass) {
    handle_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Subclassed as a Unicode window: the messages it passes on reach the control's own
    // procedure unconverted. Forwarding through the ANSI conversion would split a
    // double-byte character typed as two WM_CHAR messages (Wine converts each byte alone).
    originalProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcedure)));
  }
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  if (parent_) parent_->ArrangeTabOrder();
  WindowCreated();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  DestroyWindow(handle_);
  // DestroyWindow fails only for a window of another thread; do not keep a stale handle.
  if (handle_) Detach();
}

void TWinControl::RecreateWindow() {
  if (!handle_) return;
  const bool hadFocus = Focused();
  WindowDestroying();
  DestroyHandle();
  CreateHandle();
  if (hadFocus) SetFocus();
}

void TWinControl::WindowCreated() {}

void TWinControl::WindowDestroying() {}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!control && message == WM_NCCREATE) {
    control = static_cast<TWinControl*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (control) {
      control->handle_ = window;
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
  }
  if (!control) return DefWindowProcA(window, message, wParam, lParam);
  const LRESULT result =
      Guarded<LRESULT>(control, 0, [&] { return control->HandleMessage(message, wParam, lParam); });
  if (message == WM_NCDESTROY) control->Detach();
  return result;
}

void TWinControl::Detach() {
  if (originalProcedure_) {
    SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProcedure_));
  }
  SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
  handle_ = nullptr;
  originalProcedure_ = nullptr;
}

LRESULT TWinControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(message, wParam, lParam);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
  if (originalProcedure_) return CallWindowProcW(originalProcedure_, handle_, message, wParam, lParam);
  return DefWindowProcA(handle_, message, wParam, lParam);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (handle_) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWinControl::ScaleBounds(int numerator, int denominator) {
  SetBounds(MulDiv(left_, numerator, denominator), MulDiv(top_, numerator, denominator),
            MulDiv(width_, numerator, denominator), MulDiv(height_, numerator, denominator));
}

void TWinControl::SetVisible(bool visible) {
  visible_ = visible;
  if (handle_) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetTabOrder(int tabOrder) {
  tabOrder_ = tabOrder;
  if (parent_ && handle_) parent_->ArrangeTabOrder();
}

void TWinControl::SetTabStop(bool tabStop) {
  tabStop_ = tabStop;
  if (!handle_) return;
  const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
  SetWindowLongPtrA(handle_, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::SetFont(TFont font) {
  // The old font is deleted only once every window that had it has the new one.
  const auto previous = std::exchange(font_, std::make_unique<const TFont>(std::move(font)));
  ApplyFontChange();
}

void TWinControl::ApplyFontChange() {
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
  FontChanged();
  for (TWinControl* child : children_) {
    if (!child->font_) child->ApplyFontChange();
  }
}

void TWinControl::FontChanged() {}

void TWinControl::WatchDestruction(TWinControl& other) {
  if (&other == this) return;
  if (std::find(destructionWatchers_.begin(), destructionWatchers_.end(), &other) != destructionWatchers_.end()) return;
  destructionWatchers_.push_back(&other);
  other.destructionWatchers_.push_back(this);
}

void TWinControl::ControlDestroyed(const TWinControl&) {}

TWinControl::DialogKeyRole TWinControl::KeyRole() const { return {}; }

void TWinControl::KeyClick() {}

void TWinControl::ShowDefaultFrame(bool) {}

void TWinControl::ButtonStateChanged() {
  if (parent_) parent_->ButtonStateChanged();
}

std::string TWinControl::ReadText() const {
  if (!handle_) return text_;
  // The length can be an over-estimate for double-byte text; the copy says how much came.
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(handle_)) + 1, '\0');
  const int copied = GetWindowTextA(handle_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void TWinControl::WriteText(std::string text) {
  text_ = std::move(text);
  if (handle_) SetWindowTextA(handle_, text_.c_str());
}

void TWinControl::CommandNotified(UINT) {}

void TWinControl::DrawItemRequested(const DRAWITEMSTRUCT&) {}

void TWinControl::MeasureItemRequested(MEASUREITEMSTRUCT&) {}

void TWinControl::DeleteItemRequested(const DELETEITEMSTRUCT&) {}

TWinControl* TWinControl::FindChild(HWND window) const {
  if (!window) return nullptr;
  const auto found = std::find_if(children_.begin(), children_.end(),
                                  [window](const TWinControl* child) { return child->handle_ == window; });
  return found == children_.end() ? nullptr : *found;
}

TWinControl* TWinControl::FindChildById(UINT id) const {
  const auto found = std::find_if(children_.begin(), children_.end(),
                                  [id](const TWinControl* child) { return child->id_ == id; });
  return found == children_.end() ? nullptr : *found;
}

namespace {

// Runs notify on the child a reflected notification concerns, guarded with the child as
// sender; false when there is no such child.
template <typename Notify>
bool NotifyChild(TWinControl* child, Notify&& notify) {
  if (!child) return false;
  Guarded<int>(child, 0, [&] {
    notify(*child);
    return 0;
  });
  return true;
}

}  // namespace

bool TWinControl::ReflectCommand(WPARAM wParam, LPARAM lParam) {
  const UINT code = HIWORD(wParam);
  return NotifyChild(FindChild(reinterpret_cast<HWND>(lParam)),
                     [code](TWinControl& child) { child.CommandNotified(code); });
}

bool TWinControl::ReflectDrawItem(const DRAWITEMSTRUCT& item) {
  return NotifyChild(FindChild(item.hwndItem), [&item](TWinControl& child) { child.DrawItemRequested(item); });
}

bool TWinControl::ReflectMeasureItem(MEASUREITEMSTRUCT& item) {
  // Menus measure with identifier 0, which no control of ours has.
  TWinControl* child = item.CtlType == ODT_MENU ? nullptr : FindChildById(item.CtlID);
  return NotifyChild(child, [&item](TWinControl& target) { target.MeasureItemRequested(item); });
}

bool TWinControl::ReflectDeleteItem(const DELETEITEMSTRUCT& item) {
  return NotifyChild(FindChildById(item.CtlID), [&item](TWinControl& child) { child.DeleteItemRequested(item); });
}

void TWinControl::ArrangeTabOrder() {
  std::vector<TWinControl*> ordered;
  for (TWinControl* child : children_) {
    if (child->handle_) ordered.push_back(child);
  }
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
  HWND after = HWND_TOP;
  for (TWinControl* child : ordered) {
    SetWindowPos(child->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = child->handle_;
  }
}

RedrawSuspended::RedrawSuspended(HWND window) : window_(window) {
  SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
}

RedrawSuspended::~RedrawSuspended() {
  SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window_, nullptr, TRUE);
}
