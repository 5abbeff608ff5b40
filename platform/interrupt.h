#pragma once
// Ctrl-C and termination requests while files are decrypted: the handlers only record the
// request, so the decoder can finish the block it is on, remove its temporary output and
// leave the input as it was, and then end as the request would have ended it.
//
// POSIX: SIGINT, SIGTERM, SIGHUP and SIGQUIT are recorded (a signal ignored on entry, as under nohup,
// stays ignored). The line readers of console.h stop waiting when one arrives. SIGXFSZ is
// ignored: a write beyond the file size limit then fails with EFBIG and the file is reported
// like any other write failure.
// Windows: Ctrl-C, Ctrl-Break and closing the console window are recorded.

#include <thread>

namespace platform {

void InstallInterruptHandlers();

// Whether a recorded request has arrived. Safe to call from any thread.
bool InterruptRequested();

// Once a request has come, ends thread's wait in a system call that the request should end
// (a write to a terminal stopped with Ctrl-S): a request reaches one thread only. POSIX: the
// thread is sent the recorded signal, which records nothing new; call it again until the
// thread has ended, as the signal may come just before the wait. Windows: nothing.
void PassInterruptTo(std::thread& thread);

// Ends the process as the recorded request ends a program that does not handle it.
// POSIX: the signal's default action is restored and the signal raised again, so the parent
// sees death by that signal (a shell shows status 128 + number). Windows: exit code
// 0xC000013A (STATUS_CONTROL_C_EXIT), what cmd.exe reports for a program ended by Ctrl-C.
[[noreturn]] void ExitForInterrupt();

}  // namespace platform
