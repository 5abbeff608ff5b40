#pragma once
// The dialog while one file of a run is decrypted. The run processes no input until it ends,
// but a window whose thread leaves its queue alone for 5 s is taken for hung: Windows ghosts
// it ("応答なし") and stops painting it. So on each progress report of a file the bar moves
// within the file's pass, what needs painting is painted, and the queue is looked at.

#include <cstdint>

class TProgressBar;

// The bar's position after done of total bytes of a file whose pass began at start and ends
// at target: in proportion between the two, never past target, never below start.
int PositionWithinFile(int start, int target, uint64_t done, uint64_t total);

// Dispatches the paint messages waiting for this thread's windows, drops the keyboard and
// mouse input waiting for them (input is blocked during a run, so it is not kept for later),
// answers what other threads send, and leaves every other message in the queue.
void PaintAndDropInput();

class FileProgress {
 public:
  explicit FileProgress(TProgressBar& bar) : bar_(bar) {}
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // The next file's pass starts from the bar as it is and ends with the bar at target;
  // PaintAndDropInput.
  void Begin(int target);
  // A progress report of that file: moves the bar, then PaintAndDropInput.
  void Report(uint64_t done, uint64_t total);

 private:
  TProgressBar& bar_;
  int start_ = 0;
  int target_ = 0;
};
