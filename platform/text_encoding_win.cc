#include "platform/text_encoding_win.h"

#include <windows.h>

#include <algorithm>

#include "platform/text_encoding.h"

namespace platform {
namespace {

constexpr unsigned kCodePage932 = 932;

}  // namespace

namespace windows {
namespace {

// The flags that forbid any substitution; the UTF code pages accept only the last.
DWORD ExactFlags(unsigned codePage) {
  return codePage == CP_UTF8 || codePage == CP_UTF7 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
}

bool IsUtfCodePage(unsigned codePage) { return codePage == CP_UTF8 || codePage == CP_UTF7; }

size_t CharacterLengthAt(std::wstring_view text, size_t index) {
  const bool high = text[index] >= 0xD800 && text[index] <= 0xDBFF;
  const bool lowFollows =
      index + 1 < text.size() && text[index + 1] >= 0xDC00 && text[index + 1] <= 0xDFFF;
  return high && lowFollows ? 2 : 1;
}

char32_t CodePointAt(std::wstring_view text, size_t index) {
  if (CharacterLengthAt(text, index) == 2) {
    return 0x10000 + ((static_cast<char32_t>(text[index]) - 0xD800) << 10) +
           (static_cast<char32_t>(text[index + 1]) - 0xDC00);
  }
  return static_cast<char32_t>(text[index]);
}

// One character (one or two UTF-16 units) into codePage; false when it has no exact code.
bool ConvertCharacter(std::wstring_view character, unsigned codePage, char (&out)[8], int& length) {
  BOOL usedDefault = FALSE;
  length = WideCharToMultiByte(codePage, ExactFlags(codePage), character.data(),
                               static_cast<int>(character.size()), out, sizeof out, nullptr,
                               IsUtfCodePage(codePage) ? nullptr : &usedDefault);
  return length > 0 && !usedDefault;
}

}  // namespace

unsigned UserCodePage() {
  const UINT console = GetConsoleCP();
  return console != 0 ? console : GetACP();
}

bool WideToCodePage(std::wstring_view text, unsigned codePage, std::string& out, char32_t* failed) {
  out.clear();
  out.reserve(text.size() * 4);
  // One character at a time, so a failure can name the character.
  for (size_t index = 0; index < text.size();) {
    const size_t units = CharacterLengthAt(text, index);
    char bytes[8];
    int length = 0;
    if (!ConvertCharacter(text.substr(index, units), codePage, bytes, length)) {
      if (failed != nullptr) *failed = CodePointAt(text, index);
      SecureZeroMemory(bytes, sizeof bytes);
      WipeText(out);
      return false;
    }
    out.append(bytes, static_cast<size_t>(length));
    SecureZeroMemory(bytes, sizeof bytes);
    index += units;
  }
  return true;
}

bool CodePageToWide(std::string_view text, unsigned codePage, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  out.resize(text.size());
  const int length =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), size);
  if (length <= 0) {
    WipeText(out);
    return false;
  }
  out.resize(static_cast<size_t>(length));
  return true;
}

void WipeText(std::string& text) {
  SecureZeroMemory(text.data(), text.size());
  text.clear();
}

void WipeText(std::wstring& text) {
  SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
  text.clear();
}

}  // namespace windows

namespace {

unsigned CodePageOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return CP_UTF8;
    case TextEncoding::Cp932:
      return kCodePage932;
    case TextEncoding::User:
    case TextEncoding::Guess:
      break;
  }
  return windows::UserCodePage();
}

}  // namespace

bool UserEncodingIsUtf8() { return windows::UserCodePage() == CP_UTF8; }

Cp932Text ToCp932(std::string_view text, TextEncoding from) {
  Cp932Text result;
  result.readAs = from == TextEncoding::Guess ? GuessedEncoding(text) : from;
  const unsigned codePage = CodePageOf(result.readAs);
  if (!IsValidCodePage(codePage)) {
    result.error = TextError::NoConverter;
    return result;
  }
  std::wstring wide;
  if (!windows::CodePageToWide(text, codePage, wide)) {
    result.error = GetLastError() == ERROR_NO_UNICODE_TRANSLATION ? TextError::Malformed
                                                                  : TextError::NoConverter;
    return result;
  }
  // Even text already in code page 932 goes the whole way: the dialog's edit box holds the
  // password in UTF-16 and hands it over converted the same way, so duplicate codes (NEC and
  // IBM extensions) come out as the dialog gives them.
  if (!windows::WideToCodePage(wide, kCodePage932, result.bytes, &result.character)) {
    result.error = TextError::Unrepresentable;
  }
  windows::WipeText(wide);
  return result;
}

std::optional<Cp932Text> TakeEnvironmentSecretAsCp932(const char* name, TextEncoding) {
  std::wstring wideName;
  for (const char* c = name; *c != '\0'; ++c) wideName.push_back(static_cast<wchar_t>(*c));

  Cp932Text result;
  DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    result.error = TextError::NoConverter;
    return result;
  }
  std::wstring value(size, L'\0');
  size = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  // A value that grew between the two calls is taken as missing rather than cut short.
  if (size >= value.size()) {
    windows::WipeText(value);
    return std::nullopt;
  }
  value.resize(size);
  if (!windows::WideToCodePage(value, kCodePage932, result.bytes, &result.character)) {
    result.error = TextError::Unrepresentable;
  }
  // Overwritten in place (a value of the same length reuses its room in the environment
  // block), then removed.
  std::fill(value.begin(), value.end(), L' ');
  SetEnvironmentVariableW(wideName.c_str(), value.c_str());
  SetEnvironmentVariableW(wideName.c_str(), nullptr);
  windows::WipeText(value);
  return result;
}

}  // namespace platform
