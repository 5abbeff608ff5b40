#pragma once
// The operating system's own error code, kept as the failure site saw it: errno on POSIX,
// GetLastError() on Windows. 0 means no error.

#include <cstdint>
#include <string>

namespace platform {

using SystemError = uint32_t;

// The system's code for memory that could not be had, without including its headers here.
#ifdef _WIN32
inline constexpr SystemError kOutOfMemory = 8;   // ERROR_NOT_ENOUGH_MEMORY
#else
inline constexpr SystemError kOutOfMemory = 12;  // ENOMEM
#endif

// The system's text for an error code, for messages of the command-line decoder.
std::string DescribeSystemError(SystemError error);

}  // namespace platform
