#include "framework/button.h"

#include "framework/form.h"

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
  // BS_NOTIFY: the focus notifications move the default-button frame.
  params.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY;
}

void TButton::CommandNotified(UINT code) {
  switch (code) {
    case BN_CLICKED:
      Click();
      break;
    case BN_SETFOCUS:
      if (TForm* form = OwningForm()) form->SetActiveButton(this);
      break;
    case BN_KILLFOCUS:
      if (TForm* form = OwningForm()) form->SetActiveButton(nullptr);
      break;
    default:
      break;
  }
}

TForm* TButton::OwningForm() const {
  for (TWinControl* control = Parent(); control; control = control->Parent()) {
    if (auto* form = dynamic_cast<TForm*>(control)) return form;
  }
  return nullptr;
}
