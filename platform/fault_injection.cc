#include "platform/fault_injection.h"

#include <atomic>
#include <mutex>

namespace platform::fault {
namespace {

struct ArmedFault {
  Operation operation = Operation::Open;
  unsigned remaining = 0;  // calls of operation until the fault, counting the faulty one
  SystemError error = 0;
  bool shortWrite = false;
  bool fired = false;
};

// The one piece of process-wide state of the seam; the file functions of several workers
// may consult it at once.
std::atomic<bool> armed{false};
std::mutex mutex;
ArmedFault fault;

}  // namespace

void Arm(Operation operation, unsigned nth, SystemError error, bool shortWrite) {
  const std::lock_guard lock(mutex);
  fault = ArmedFault{operation, nth, error, shortWrite, false};
  armed.store(nth != 0, std::memory_order_relaxed);
}

void Disarm() {
  const std::lock_guard lock(mutex);
  fault = ArmedFault{};
  armed.store(false, std::memory_order_relaxed);
}

bool Fired() {
  const std::lock_guard lock(mutex);
  return fault.fired;
}

Injected Take(Operation operation) {
  if (!armed.load(std::memory_order_relaxed)) return {};
  const std::lock_guard lock(mutex);
  if (fault.remaining == 0 || fault.operation != operation || --fault.remaining != 0) return {};
  fault.fired = true;
  if (fault.shortWrite) {
    // The write after the short one fails.
    fault.shortWrite = false;
    fault.remaining = 1;
    return Injected{0, true};
  }
  armed.store(false, std::memory_order_relaxed);
  return Injected{fault.error, false};
}

}  // namespace platform::fault
