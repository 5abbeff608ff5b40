#pragma once
// A seam for tests: makes the N-th call of one file operation fail with a chosen system
// error, so every failure path of the decryption can be walked with real files. Disarmed,
// it costs one relaxed atomic load per call.

#include <cstddef>

#include "platform/system_error.h"

namespace platform::fault {

enum class Operation {
  Open,
  Create,
  Guard,        // protecting a new output: its permission bits (POSIX); on Windows the
                // protection is part of the creation, and this fails the file right after it
  Read,
  Write,
  Flush,
  Close,
  Move,
  Delete,
  StartThread,  // starting a worker thread
  Allocate,     // allocating a file buffer
};

// What the file function at hand must do instead of its normal call.
struct Injected {
  SystemError error = 0;   // fail with this code without calling the system
  bool shortWrite = false; // write only part of the data; the following write then fails
  explicit operator bool() const { return error != 0 || shortWrite; }
};

// From now on, the nth call (1 = the next one) of operation fails with error. With
// shortWrite (Write only) that call moves half its bytes and the one after it fails,
// as a disk that fills up mid-write does. Counting starts afresh; one fault at a time.
void Arm(Operation operation, unsigned nth, SystemError error, bool shortWrite = false);
void Disarm();
// Whether the armed fault has been injected.
bool Fired();

// Called by the file functions before each system call.
Injected Take(Operation operation);

// Arms a fault for one scope.
class ScopedFault {
 public:
  ScopedFault(Operation operation, unsigned nth, SystemError error, bool shortWrite = false) {
    Arm(operation, nth, error, shortWrite);
  }
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;
  ~ScopedFault() { Disarm(); }
};

}  // namespace platform::fault
