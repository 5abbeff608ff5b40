#pragma once
// A push button ("BUTTON"). Clicking it, by mouse, keyboard or BM_CLICK, runs Click.

#include <string>

#include "framework/win_control.h"

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

  DialogKeyRole KeyRole() const override;
  // Click.
  void KeyClick() override;
  // The button style with or without the frame (BS_DEFPUSHBUTTON or BS_PUSHBUTTON); nothing
  // while there is no window.
  void ShowDefaultFrame(bool framed) override;

 protected:
  // A new window is framed as the Default flag says; the form corrects it when another
  // button has the focus.
  void FillCreateParams(CreateParams& params) const override;
  void CommandNotified(UINT code) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  bool focused_ = false;
};
