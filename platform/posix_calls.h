#pragma once
// Small helpers the POSIX files share around system calls.

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/interrupt.h"
#include "platform/system_error.h"

namespace platform {

inline SystemError LastPosixError() { return static_cast<SystemError>(errno); }

// Retries a system call that a signal interrupted; handlers only set flags.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

// One write that an interruption can end. The first signal ends a write that waits (no
// handler restarts it), but only in the thread it lands on: another thread's write to a pipe
// nobody reads, or to a terminal stopped with Ctrl-S, would wait on. So a write waits for room
// in slices, asking between them whether a request has come; once one has, a descriptor that
// cannot take bytes at once is not written to: -1 with EINTR. A regular file always takes them.
inline ssize_t WriteUnlessInterrupted(int descriptor, const void* data, size_t count) {
  constexpr int kSliceMilliseconds = 100;
  for (;;) {
    const bool requested = InterruptRequested();
    pollfd ready{descriptor, POLLOUT, 0};
    const int polled = poll(&ready, 1, requested ? 0 : kSliceMilliseconds);
    // Room, or an error or hang-up that the write itself then reports; a poll that fails
    // leaves it to the write to wait.
    const bool writable = (polled == 1 && ready.revents != 0) || (polled < 0 && errno != EINTR);
    if (!writable) {
      if (requested) {
        errno = EINTR;
        return -1;
      }
      continue;
    }
    const ssize_t written = write(descriptor, data, count);
    if (written >= 0 || errno != EINTR) return written;
  }
}

}  // namespace platform
