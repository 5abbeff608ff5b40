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
// handler restarts it); once a request has come, no further signal may come to end a wait, so
// a descriptor that cannot take bytes at once (a pipe nobody reads, a terminal stopped with
// Ctrl-S) is not written to: -1 with EINTR. A regular file always takes them.
inline ssize_t WriteUnlessInterrupted(int descriptor, const void* data, size_t count) {
  for (;;) {
    if (InterruptRequested()) {
      pollfd ready{descriptor, POLLOUT, 0};
      if (poll(&ready, 1, 0) != 1 || (ready.revents & POLLOUT) == 0) {
        errno = EINTR;
        return -1;
      }
    }
    const ssize_t written = write(descriptor, data, count);
    if (written >= 0 || errno != EINTR) return written;
  }
}

}  // namespace platform
