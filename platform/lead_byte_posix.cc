#include "platform/path_text.h"

namespace platform {

// Without a system code page to ask, paths in double-byte text are taken as code page 932.
bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace platform
