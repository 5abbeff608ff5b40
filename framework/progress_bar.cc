#include "framework/progress_bar.h"

#include <commctrl.h>

#include <algorithm>

TProgressBar::TProgressBar(TWinControl& parent) : TWinControl(parent) { SetBounds(0, 0, 150, 16); }

void TProgressBar::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  position_ = std::clamp(position_, min_, max_);
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
}

void TProgressBar::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::FillCreateParams(CreateParams& params) const {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  params.className = PROGRESS_CLASSA;
}

void TProgressBar::WindowCreated() {
  TWinControl::WindowCreated();
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}
