#include "dialog/file_progress.h"

#include <windows.h>

#include <algorithm>

#include "framework/progress_bar.h"

namespace {

// Mouse input in the client and the non-client area, and keys: a click that arrived during
// the run must not press a button once it has ended.
constexpr UINT kInputRanges[][2] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
};

// A window that does not validate its update region would get WM_PAINT forever.
constexpr int kMostPaintsAtOnce = 64;

}  // namespace

int PositionWithinFile(int start, int target, uint64_t done, uint64_t total) {
  if (target <= start || total == 0) return start;
  const uint64_t span = static_cast<uint64_t>(target - start);
  // span is at most 100, so span * done cannot overflow for any file size below 2^57 bytes.
  const uint64_t moved = span * std::min(done, total) / total;
  return start + static_cast<int>(moved);
}

void PaintAndDropInput() {
  MSG message;
  // Looking at the queue is what tells Windows the thread is alive; it also answers what
  // other threads send and wait for. Wine hands out the paint messages due only after it.
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  for (int i = 0; i < kMostPaintsAtOnce && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i) {
    DispatchMessageA(&message);
  }
  for (const auto& range : kInputRanges) {
    while (PeekMessageA(&message, nullptr, range[0], range[1], PM_REMOVE)) {
    }
  }
}

void FileProgress::Begin(int target) {
  start_ = bar_.Position();
  target_ = target;
  // Input that came after the last file's last report (while its output was forced to the
  // disk, say) would otherwise act in the next box of the run, whose loop dispatches it.
  PaintAndDropInput();
}

void FileProgress::Report(uint64_t done, uint64_t total) {
  const int position = PositionWithinFile(start_, target_, done, total);
  if (position > bar_.Position()) bar_.SetPosition(position);
  PaintAndDropInput();
}
