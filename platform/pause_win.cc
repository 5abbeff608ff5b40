#include <windows.h>

#include "platform/pause.h"

namespace platform {

void PauseMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace platform
