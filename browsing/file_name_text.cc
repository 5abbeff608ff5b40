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

namespace {

// Changes the case of text by rule: CharLowerBuffA / CharUpperBuffA for the locale, else
// only the ASCII letters from..from+25 become to..to+25.
std::string ChangeFileNameCase(std::string_view text, FileNameCase rule, char from, char to,
                               DWORD (WINAPI *localeCase)(LPSTR, DWORD)) {
  std::string changed(text);
  if (rule == FileNameCase::Locale) {
    if (!changed.empty()) localeCase(changed.data(), static_cast<DWORD>(changed.size()));
    return changed;
  }
  // Stepping over whole characters skips the trail bytes, which may lie in the letters.
  for (std::size_t i = 0; i < changed.size(); i += platform::CharacterLength(changed, i)) {
    if (changed[i] >= from && changed[i] <= from + 25) {
      changed[i] = static_cast<char>(changed[i] - from + to);
    }
  }
  return changed;
}

}  // namespace

std::string LowerFileName(std::string_view text, FileNameCase rule) {
  return ChangeFileNameCase(text, rule, 'A', 'a', &CharLowerBuffA);
}

std::string UpperFileName(std::string_view text) {
  return ChangeFileNameCase(text, SystemFileNameCase(), 'a', 'A', &CharUpperBuffA);
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
