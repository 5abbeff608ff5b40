#include "tests/windows/responsiveness_probe.h"

#include <algorithm>

namespace {

// Hooks carry no context of their own; one probe runs at a time.
ResponsivenessProbe* active = nullptr;

constexpr UINT kAnswerWithin = 1000;  // milliseconds

}  // namespace

double Milliseconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

ResponsivenessProbe::ResponsivenessProbe(HWND window, std::function<void(int)> onAnswered,
                                         std::function<void()> onHandled)
    : window_(window), onAnswered_(std::move(onAnswered)), onHandled_(std::move(onHandled)) {
  active = this;
  const DWORD thread = GetCurrentThreadId();
  callHook_ = SetWindowsHookExA(WH_CALLWNDPROC, &OnCallWindow, nullptr, thread);
  messageHook_ = SetWindowsHookExA(WH_GETMESSAGE, &OnGetMessage, nullptr, thread);
  thread_ = CreateThread(nullptr, 0, &Probe, this, 0, nullptr);
}

ResponsivenessProbe::~ResponsivenessProbe() {
  if (thread_) Finish();
  if (callHook_) UnhookWindowsHookEx(callHook_);
  if (messageHook_) UnhookWindowsHookEx(messageHook_);
  active = nullptr;
}

LRESULT CALLBACK ResponsivenessProbe::OnCallWindow(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && active && active->during_ && message->message == WM_NULL &&
      message->hwnd == active->window_) {
    active->handled_.push_back(Milliseconds());
    if (active->onHandled_) active->onHandled_();
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ResponsivenessProbe::OnGetMessage(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && active && active->during_ &&
      message->message == WM_PAINT) {
    active->paints_.push_back(Milliseconds());
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI ResponsivenessProbe::Probe(void* self) {
  auto& probe = *static_cast<ResponsivenessProbe*>(self);
  int answered = 0;
  while (InterlockedCompareExchange(&probe.stop_, 0, 0) == 0) {
    // As another window moving away would: something to paint each time.
    RedrawWindow(probe.window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    const auto start = Milliseconds();
    DWORD_PTR result = 0;
    const bool ok =
        SendMessageTimeoutA(probe.window_, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerWithin, &result) != 0;
    probe.sends_.push_back({start, ok});
    if (ok && probe.onAnswered_) probe.onAnswered_(++answered);
    Sleep(10);
  }
  return 0;
}

ResponsivenessProbe::Result ResponsivenessProbe::Finish() {
  during_ = false;
  InterlockedExchange(&stop_, 1);
  while (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) {
    MsgWaitForMultipleObjects(1, &thread_, FALSE, 100, QS_SENDMESSAGE);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(thread_);
  thread_ = nullptr;

  Result result;
  result.answeredDuring = static_cast<int>(handled_.size());
  result.paints = static_cast<int>(paints_.size());
  // Every message pending when the thread looks at its queue is answered then: a send that
  // began before the last answer during the handler and still timed out waited a whole
  // second for the thread to look.
  if (!handled_.empty()) {
    const double last = handled_.back();
    result.timedOut = static_cast<int>(std::count_if(
        sends_.begin(), sends_.end(), [last](const Send& send) { return !send.answered && send.start < last; }));
  }
  for (size_t i = 1; i < paints_.size(); ++i) {
    result.longestPaintGap = std::max(result.longestPaintGap, paints_[i] - paints_[i - 1]);
  }
  return result;
}
