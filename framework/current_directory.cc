#include "framework/current_directory.h"

#include <windows.h>

#include <vector>

#include "framework/exceptions.h"
#include "platform/path_text.h"

namespace {

thread_local uint32_t pendingIOResult = 0;

}  // namespace

uint32_t TakeIOResult() {
  const uint32_t result = pendingIOResult;
  pendingIOResult = 0;
  return result;
}

void ChangeCurrentDirectory(const std::string& path) {
  if (!TryChangeCurrentDirectory(path)) throw EInOutError(TakeIOResult());
}

bool TryChangeCurrentDirectory(const std::string& path) {
  if (!SetCurrentDirectoryA(path.c_str())) {
    pendingIOResult = GetLastError();
    return false;
  }
  const std::string now = CurrentDirectory();
  if (now.size() >= 2 && now[1] == ':') {
    const char variable[] = {'=', platform::UpperDriveLetter(now[0]), ':', '\0'};
    SetEnvironmentVariableA(variable, now.c_str());
  }
  return true;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(length + 1);
  }
}
