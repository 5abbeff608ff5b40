#include "framework/button.h"

TButton::TButton(TWinControl& parent) : TWinControl(parent) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  ButtonStateChanged();
}

void TButton::Click() {
  if (OnClick) OnClick(*this);
}

void TButton::FillCreateParams(CreateParams& params) const {
  params.className = "BUTTON";
  // BS_NOTIFY: the focus notifications move the default-button frame.
  params.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY;
}

void TButton::CommandNotified(UINT code) {
  switch (code) {
    case BN_CLICKED:
      Click();
      break;
    case BN_SETFOCUS:
    case BN_KILLFOCUS:
      focused_ = code == BN_SETFOCUS;
      ButtonStateChanged();
      break;
    default:
      break;
  }
}

TWinControl::DialogKeyRole TButton::KeyRole() const {
  return {.kind = DialogKeyRole::PushButton, .focused = focused_, .clickedByEnter = default_, .clickedByEscape = cancel_};
}

void TButton::KeyClick() { Click(); }

void TButton::ShowDefaultFrame(bool framed) {
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}
