#pragma once
// A push button ("BUTTON"). Clicking it, by mouse, keyboard or BM_CLICK, runs Click.

#include <string>

#include "framework/win_control.h"

class TForm;

class TButton : public TWinControl {
 public:
  explicit TButton(TWinControl& parent);

  std::string Caption() const { return ReadText(); }
  void SetCaption(std::string caption) { WriteText(std::move(caption)); }

  // The default button carries the default-button frame; Enter clicks it.
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  // Esc clicks the cancel button.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool isCancel) { cancel_ = isCancel; }

  TNotifyEvent OnClick;
  // Fires OnClick with the button as sender.
  virtual void Click();

 protected:
  void FillCreateParams(CreateParams& params) const override;
  void CommandNotified(UINT code) override;

 private:
  TForm* OwningForm() const;

  bool default_ = false;
  bool cancel_ = false;
};
