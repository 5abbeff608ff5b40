#pragma once
// The loops around single read and write calls, the same for Win32 and POSIX files: one call
// may move fewer bytes than asked, and the test seam may fail any one of them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/fault_injection.h"
#include "platform/file.h"

namespace platform {

// What one system call did: the bytes it moved, or the error it failed with.
struct CallOutcome {
  size_t count = 0;
  SystemError error = 0;
};

// Reads until buffer is full or a call moves nothing (the end of the file).
// call(data, count, done) is one read of at most count bytes into data, done bytes into
// the buffer.
template <typename ReadCall>
Result<size_t> ReadFully(std::span<uint8_t> buffer, size_t largestCall, ReadCall call) {
  size_t total = 0;
  while (total < buffer.size()) {
    if (const auto injected = fault::Take(fault::Operation::Read)) {
      return {std::nullopt, injected.error};
    }
    const CallOutcome outcome =
        call(buffer.data() + total, std::min(buffer.size() - total, largestCall), total);
    if (outcome.error != 0) return {std::nullopt, outcome.error};
    if (outcome.count == 0) break;
    total += outcome.count;
  }
  return {total, 0};
}

// Writes every byte of data; call(data, count, done) is one write. A call that moves
// nothing would loop for ever: the disk is as good as full, which diskFull says.
template <typename WriteCall>
SystemError WriteFully(std::span<const uint8_t> data, size_t largestCall, SystemError diskFull,
                       WriteCall call) {
  size_t total = 0;
  while (total < data.size()) {
    size_t wanted = std::min(data.size() - total, largestCall);
    if (const auto injected = fault::Take(fault::Operation::Write)) {
      if (!injected.shortWrite) return injected.error;
      wanted = (wanted + 1) / 2;
    }
    const CallOutcome outcome = call(data.data() + total, wanted, total);
    if (outcome.error != 0) return outcome.error;
    if (outcome.count == 0) return diskFull;
    total += outcome.count;
  }
  return 0;
}

}  // namespace platform
