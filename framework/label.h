#pragma once
// A line of static text ("STATIC"); "&" is shown as it is. With AutoSize (the default) the
// label sizes itself to its caption in its font.

#include <string>
#include <string_view>

#include "framework/win_control.h"

class TLabel : public TWinControl {
 public:
  explicit TLabel(TWinControl& parent);

  std::string Caption() const { return ReadText(); }
  void SetCaption(std::string caption);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);

  // Width of text in pixels in the label's font.
  int TextWidth(std::string_view text) const;

  void ScaleBounds(int numerator, int denominator) override;
  DialogKeyRole KeyRole() const override { return {.kind = DialogKeyRole::Label}; }

 protected:
  void FillCreateParams(CreateParams& params) const override;
  // An auto-sized label fits the new font.
  void FontChanged() override;

 private:
  void AdjustSize();
  void AdjustSizeTo(std::string_view caption);

  bool autoSize_ = true;
};
