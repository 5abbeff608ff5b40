#pragma once
// The two things a decryption asks of the system besides files: buffers and threads. Both
// can be refused; the test seam refuses them as a system out of memory or threads does, by
// raising, so that the real handling of the refusal is what the tests walk.

#include <cstddef>
#include <cstdint>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/fault_injection.h"

// A zeroed buffer of size bytes. Raises std::bad_alloc.
inline std::vector<uint8_t> AllocateBuffer(size_t size) {
  if (platform::fault::Take(platform::fault::Operation::Allocate)) throw std::bad_alloc();
  return std::vector<uint8_t>(size);
}

// A thread running work. Raises std::system_error when no thread can be started.
template <typename Work>
std::thread StartThread(Work&& work) {
  if (platform::fault::Take(platform::fault::Operation::StartThread)) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }
  return std::thread(std::forward<Work>(work));
}
