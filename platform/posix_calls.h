#pragma once
// Small helpers the POSIX files share around system calls.

#include <cerrno>

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

}  // namespace platform
