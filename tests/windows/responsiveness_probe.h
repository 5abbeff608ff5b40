#pragma once
// A long handler on the interface thread, watched from another thread as Windows and the
// user see it: the window is invalidated and sent WM_NULL over and over (the system's own
// test for a hung window), and hooks on the interface thread note which of those messages
// it answered during the handler and when it took paint messages.

#include <windows.h>

#include <functional>
#include <vector>

// A steady clock in milliseconds (the performance counter), for measurements.
double Milliseconds();

class ResponsivenessProbe {
 public:
  struct Result {
    int answeredDuring = 0;      // WM_NULL answered while the handler ran
    int timedOut = 0;            // WM_NULL unanswered in 1 s, though later ones were answered
    int paints = 0;              // paint messages taken during the handler
    double longestPaintGap = 0;  // milliseconds between two of them
  };

  // To be made on the interface thread right before the handler. onAnswered runs on the
  // probing thread after each answer, with the number answered so far; onHandled on the
  // interface thread whenever it answers during the handler.
  ResponsivenessProbe(HWND window, std::function<void(int answered)> onAnswered,
                      std::function<void()> onHandled);
  ResponsivenessProbe(const ResponsivenessProbe&) = delete;
  ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;
  ~ResponsivenessProbe();

  // Right after the handler: stops the probing thread, answering (without taking any posted
  // message) what it still sends, and returns what was seen.
  Result Finish();

 private:
  struct Send {
    double start;  // milliseconds (Milliseconds)
    bool answered;
  };

  static LRESULT CALLBACK OnCallWindow(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK OnGetMessage(int code, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI Probe(void* self);

  HWND window_;
  std::function<void(int)> onAnswered_;
  std::function<void()> onHandled_;
  HHOOK callHook_ = nullptr;
  HHOOK messageHook_ = nullptr;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  bool during_ = true;
  std::vector<Send> sends_;      // the probing thread's, read after it ended
  std::vector<double> handled_;  // the interface thread's
  std::vector<double> paints_;   // the interface thread's
};
