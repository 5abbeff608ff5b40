#include <chrono>
#include <thread>

#include "platform/pause.h"

namespace platform {

void PauseMilliseconds(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
