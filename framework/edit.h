#pragma once
// A single-line edit field ("EDIT").

#include <string>

#include "framework/win_control.h"

class TEdit : public TWinControl {
 public:
  explicit TEdit(TWinControl& parent);

  std::string Text() const { return ReadText(); }
  void SetText(std::string text) { WriteText(std::move(text)); }

  // Most bytes the user can enter, in the ANSI code page (a double-byte character counts
  // two); typing or pasting beyond it is refused. 0: no limit. SetText is not limited.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int bytes);

  // Shown in place of every character; 0 shows the text.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char passwordChar);

  // The text can be selected and copied but not changed by the user.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  void SelectAll();

 protected:
  void FillCreateParams(CreateParams& params) const override;
  void WindowCreated() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT InputWithinLimit(UINT message, WPARAM wParam, LPARAM lParam);

  int maxLength_ = 0;
  char passwordChar_ = 0;
  bool readOnly_ = false;
};
