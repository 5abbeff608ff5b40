#include "framework/button.h"

TButton::TButton(TWinControl& parent) : TWinControl(&parent) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  if (HandleAllocated()) {
    SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void TButton::Click() {
  if (OnClick) OnClick(*this);
}

void TButton::FillCreateParams(CreateParams& params) const {
  params.className = "BUTTON";
  params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CommandNotified(UINT code) {
  if (code == BN_CLICKED) Click();
}
