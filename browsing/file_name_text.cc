#include "browsing/file_name_text.h"

#include <windows.h>

#include "platform/path_text.h"

FileNameCase SystemFileNameCase() {
  static const FileNameCase rule = [] {
    CPINFO info;
    const bool doubleByte = GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
    return doubleByte ? FileNameCase::AsciiLettersOnly : FileNameCase::Locale;
  }();
  return rule;
}

std::string LowerFileName(std::string_view text, FileNameCase rule) {
  std::string lowered(text);
  if (rule == FileNameCase::Locale) {
    if (!lowered.empty()) CharLowerBuffA(lowered.data(), static_cast<DWORD>(lowered.size()));
    return lowered;
  }
  // Stepping over whole characters skips the trail bytes, which may lie in "A"-"Z".
  for (std::size_t i = 0; i < lowered.size(); i += platform::CharacterLength(lowered, i)) {
    if (lowered[i] >= 'A' && lowered[i] <= 'Z') {
      lowered[i] = static_cast<char>(lowered[i] - 'A' + 'a');
    }
  }
  return lowered;
}

std::string LowerFileName(std::string_view text) {
  return LowerFileName(text, SystemFileNameCase());
}

int CompareLocaleText(std::string_view a, std::string_view b) {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size()));
  // 0 is the call's own failure; no caller can act on it beyond "not equal".
  if (result == CSTR_LESS_THAN || result == 0) return -1;
  return result == CSTR_EQUAL ? 0 : 1;
}

bool SamePath(std::string_view a, std::string_view b) {
  return CompareLocaleText(LowerFileName(a), LowerFileName(b)) == 0;
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string joined(directory);
  const std::size_t last = platform::LastCharacterIndex(directory);
  // A lead byte is never "\", so only a single-byte last character can be the separator.
  const bool endsInSeparator = last != std::string_view::npos && directory[last] == '\\';
  if (!endsInSeparator) joined += '\\';
  joined += name;
  return joined;
}
