#include "framework/form.h"

#include "framework/application.h"
#include "framework/layout_arithmetic.h"

TForm::TForm(TApplication& application) : TWinControl(application.DefaultFont()), application_(application) {
  SetVisible(false);
  application_.FormCreated(*this);
}

TForm::~TForm() {
  DestroyHandle();
  application_.FormDestroyed(*this);
}

void TForm::FillCreateParams(CreateParams& params) const {
  params.className = kFormClassName;
  params.ownClass = true;
  params.style = kDialogFrameStyle;
  params.exStyle = kDialogFrameExStyle;
  params.parentWindow = application_.Handle();
}

void TForm::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, kDialogFrameStyle, FALSE, kDialogFrameExStyle);
  SetBounds(Left(), Top(), frame.right - frame.left, frame.bottom - frame.top);
}

void TForm::ScaleToFont(int designedTextHeight) {
  const int textHeight = Font().TextHeight();
  if (textHeight == designedTextHeight || designedTextHeight <= 0) return;
  SetClientSize(ScaleDesigned(clientWidth_, textHeight, designedTextHeight),
                ScaleDesigned(clientHeight_, textHeight, designedTextHeight));
  for (TWinControl* control : Children()) control->ScaleBounds(textHeight, designedTextHeight);
}

void TForm::Show(int showCommand) {
  Handle();
  CreateControlWindows();
  if (!shownBefore_) PlaceForFirstShow();
  shownBefore_ = true;
  ShowWindow(Handle(), showCommand);
  SetVisible(true);
}

void TForm::Hide() { SetVisible(false); }

void TForm::Close() {
  if (application_.MainForm() == this) {
    application_.Terminate();
  } else {
    Hide();
  }
}

void TForm::CreateControlWindows() {
  for (TWinControl* control : Children()) control->Handle();
}

void TForm::PlaceForFirstShow() {
  if (position_ != poScreenCenter) return;
  RECT window{};
  GetWindowRect(Handle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetBounds(CenteredCoordinate(GetSystemMetrics(SM_CXSCREEN), width, GetSystemMetrics(SM_XVIRTUALSCREEN)),
            CenteredCoordinate(GetSystemMetrics(SM_CYSCREEN), height, GetSystemMetrics(SM_YVIRTUALSCREEN)),
            width, height);
}


LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE: return OnActivate(wParam, lParam);
    case WM_CLOSE: return OnClose();
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM: return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DELETEITEM: return OnDeleteItem(*reinterpret_cast<const DELETEITEMSTRUCT*>(lParam));
    default: return DefaultHandler(message, wParam, lParam);
  }
}

// The focus returns to the control that had it when the form was last left, else goes to the
// first control in tab order; only a form without any such control takes it itself.
LRESULT TForm::OnActivate(WPARAM wParam, LPARAM lParam) {
  const HWND window = Handle();
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) lastFocus_ = focus;
    return 0;
  }
  if (HIWORD(wParam) != 0) return 0;  // activated while minimised: nothing to focus
  const bool lastUsable = lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_) &&
                          IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_);
  if (!lastUsable) lastFocus_ = GetNextDlgTabItem(window, nullptr, FALSE);
  if (!lastFocus_) return DefaultHandler(WM_ACTIVATE, wParam, lParam);
  ::SetFocus(lastFocus_);
  return 0;
}

LRESULT TForm::OnClose() {
  Close();
  return 0;
}

LRESULT TForm::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (ReflectCommand(wParam, lParam)) return 0;
  return DefaultHandler(WM_COMMAND, wParam, lParam);
}

LRESULT TForm::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (ReflectDrawItem(item)) return TRUE;
  return DefaultHandler(WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

LRESULT TForm::OnMeasureItem(MEASUREITEMSTRUCT& item) {
  if (ReflectMeasureItem(item)) return TRUE;
  return DefaultHandler(WM_MEASUREITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

LRESULT TForm::OnDeleteItem(const DELETEITEMSTRUCT& item) {
  if (ReflectDeleteItem(item)) return TRUE;
  return DefaultHandler(WM_DELETEITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

