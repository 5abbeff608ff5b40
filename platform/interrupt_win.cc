#include <windows.h>

#include <atomic>

#include "platform/interrupt.h"

namespace platform {
namespace {

constexpr UINT kControlCExitCode = 0xC000013A;  // STATUS_CONTROL_C_EXIT

std::atomic<bool> requested{false};

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      requested.store(true);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The system ends the process as soon as this returns; waiting here gives the main
      // thread the time to remove its temporary output and end the process itself (the
      // system allows a few seconds).
      requested.store(true);
      Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallInterruptHandlers() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool InterruptRequested() { return requested.load(); }

// The console's control handler runs on a thread of its own and ends no other thread's wait.
void PassInterruptTo(std::thread&) {}

void ExitForInterrupt() { ExitProcess(kControlCExitCode); }

}  // namespace platform
