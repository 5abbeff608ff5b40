#pragma once

namespace platform {

// Blocks the calling thread (Sleep / nanosleep).
void PauseMilliseconds(unsigned milliseconds);

}  // namespace platform
