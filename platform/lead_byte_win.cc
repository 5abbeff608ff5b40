#include <windows.h>

#include "platform/path_text.h"

namespace platform {

// The system's own ANSI code page decides, as it does for every ANSI call of the program.
bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace platform
