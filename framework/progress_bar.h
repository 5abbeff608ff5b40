#pragma once
// A horizontal progress bar ("msctls_progress32" of the common controls).

#include "framework/win_control.h"

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TWinControl& parent);

  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int min, int max);
  // The bar keeps its position within the range.
  int Position() const { return position_; }
  void SetPosition(int position);

 protected:
  void FillCreateParams(CreateParams& params) const override;
  void WindowCreated() override;

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};
