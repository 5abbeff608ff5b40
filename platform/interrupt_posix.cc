#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/interrupt.h"

namespace platform {
namespace {

// The first signal that arrived; 0 while none has.
std::atomic<int> recordedSignal{0};
static_assert(std::atomic<int>::is_always_lock_free,
              "the handler may only touch lock-free atomics");

// SIGQUIT (Ctrl-\\) too: a keystroke as easily typed as Ctrl-C, which would otherwise leave the
// terminal without echo when it comes at the password prompt.
constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RecordSignal(int number) {
  int none = 0;
  recordedSignal.compare_exchange_strong(none, number);
}

}  // namespace

void InstallInterruptHandlers() {
  for (const int number : kHandledSignals) {
    struct sigaction previous {};
    sigaction(number, nullptr, &previous);
    // A signal ignored on entry stays ignored: nohup and background jobs rely on that.
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RecordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(number, &action, nullptr);
  }
  // Cannot fail: SIGXFSZ is a valid signal that may be ignored.
  (void)signal(SIGXFSZ, SIG_IGN);
}

bool InterruptRequested() { return recordedSignal.load() != 0; }

void PassInterruptTo(std::thread& thread) {
  if (const int number = recordedSignal.load()) pthread_kill(thread.native_handle(), number);
}

void ExitForInterrupt() {
  const int number = recordedSignal.load();
  if (number != 0) {
    // Failures are not checked: whatever keeps the signal from ending the process, the
    // _exit below still ends it with the status a shell gives that signal.
    (void)signal(number, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    (void)raise(number);
  }
  // Reached only if the default action did not end the process.
  _exit(128 + number);
}

}  // namespace platform
