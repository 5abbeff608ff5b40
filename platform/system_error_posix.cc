#include <cstring>

#include "platform/system_error.h"

namespace platform {

std::string DescribeSystemError(SystemError error) {
  return std::strerror(static_cast<int>(error));
}

}  // namespace platform
