#include <windows.h>

#include <memory>

#include "platform/system_error.h"

namespace platform {

std::string DescribeSystemError(SystemError error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  const std::unique_ptr<char, decltype(&LocalFree)> owned(buffer, &LocalFree);
  if (length == 0 || buffer == nullptr) return "error " + std::to_string(error);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

}  // namespace platform
