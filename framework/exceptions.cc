#include "framework/exceptions.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

thread_local uint32_t pendingIOResult = 0;

}  // namespace

std::string InOutErrorMessage(uint32_t errorCode) {
  switch (errorCode) {
    case 2: return "ファイルが見つかりません";
    case 3: return "ファイル名の指定が間違っています";
    case 4: return "オープンしたファイルが多すぎます";
    case 5: return "ファイルへのアクセスが拒否されました";
    case 100: return "ファイルの末尾以降を読み込みました";
    case 101: return "ディスクがいっぱいです";
    case 106: return "入力値が数値ではありません";
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "I/O エラー (%d)", static_cast<int>(errorCode));
      return text;
    }
  }
}

std::string ListIndexErrorMessage(int index) {
  char text[96];
  std::snprintf(text, sizeof text, "リストのインデックスが範囲を超えています (%d)", index);
  return text;
}

EInOutError::EInOutError(uint32_t errorCode)
    : Exception(InOutErrorMessage(errorCode)), errorCode_(errorCode) {}

EListError::EListError(int index) : Exception(ListIndexErrorMessage(index)) {}

EStringListError::EStringListError(int index) : Exception(ListIndexErrorMessage(index)) {}

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
    char letter = now[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    const char variable[] = {'=', letter, ':', '\0'};
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
