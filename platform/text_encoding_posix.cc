#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/text_encoding.h"

namespace platform {
namespace {

class LocaleHandle {
 public:
  LocaleHandle() : locale_(newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {}
  LocaleHandle(const LocaleHandle&) = delete;
  LocaleHandle& operator=(const LocaleHandle&) = delete;
  ~LocaleHandle() {
    if (locale_ != static_cast<locale_t>(nullptr)) freelocale(locale_);
  }
  locale_t get() const { return locale_; }

 private:
  locale_t locale_;
};

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (IsOpen()) iconv_close(handle_);
  }
  // (iconv_t)-1 is iconv_open's failure value by its definition, an integer made a pointer.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

// The codeset the environment's locale names, read without changing the process's locale.
// The C and POSIX locales name ASCII, and a locale that is not installed names nothing; text
// typed there is taken as UTF-8, what terminals send today.
std::string UserCodeset() {
  const LocaleHandle locale;
  if (locale.get() == static_cast<locale_t>(nullptr)) return "UTF-8";
  const char* codeset = nl_langinfo_l(CODESET, locale.get());
  if (codeset == nullptr || *codeset == '\0' || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) {
    return "UTF-8";
  }
  return codeset;
}

template <typename T>
void Wipe(std::vector<T>& buffer) {
  explicit_bzero(buffer.data(), buffer.size() * sizeof(T));
}

// Runs the whole input through the converter. Returns false with errno set by iconv when a
// sequence is invalid, incomplete or has no code in the target; an irreversible conversion
// counts as having none.
bool ConvertAll(const Converter& converter, const char* input, size_t size,
                std::vector<char>& output) {
  char* in = const_cast<char*>(input);
  size_t inLeft = size;
  output.assign(size * 4 + 16, '\0');
  char* out = output.data();
  size_t outLeft = output.size();
  const size_t irreversible = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
  if (irreversible == static_cast<size_t>(-1)) return false;
  if (irreversible != 0) {
    errno = EILSEQ;
    return false;
  }
  if (iconv(converter.get(), nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1)) {
    return false;
  }
  output.resize(output.size() - outLeft);
  return true;
}

char32_t CodePointAt(const std::vector<char>& utf32, size_t index) {
  char32_t value = 0;
  for (size_t byte = 0; byte < 4; ++byte) {
    value |= static_cast<char32_t>(static_cast<unsigned char>(utf32[index * 4 + byte]))
             << (8 * byte);
  }
  return value;
}

std::string CodesetOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return "UTF-8";
    case TextEncoding::Cp932:
      return "CP932";
    case TextEncoding::User:
    case TextEncoding::Guess:
      break;
  }
  return UserCodeset();
}

}  // namespace

bool UserEncodingIsUtf8() { return UserCodeset() == "UTF-8"; }

Cp932Text ToCp932(std::string_view text, TextEncoding from) {
  Cp932Text result;
  result.readAs = from == TextEncoding::Guess ? GuessedEncoding(text) : from;
  const std::string codeset = CodesetOf(result.readAs);
  const Converter toUnicode("UTF-32LE", codeset.c_str());
  const Converter toCp932("CP932", "UTF-32LE");
  if (!toUnicode.IsOpen() || !toCp932.IsOpen()) {
    result.error = TextError::NoConverter;
    return result;
  }

  std::vector<char> unicode;
  if (!ConvertAll(toUnicode, text.data(), text.size(), unicode)) {
    Wipe(unicode);
    result.error = TextError::Malformed;
    return result;
  }

  // One character at a time, so the error can name the character that has no code.
  std::vector<char> encoded;
  result.bytes.reserve(text.size() * 2);
  for (size_t index = 0; index < unicode.size() / 4; ++index) {
    if (!ConvertAll(toCp932, unicode.data() + index * 4, 4, encoded)) {
      result.error = TextError::Unrepresentable;
      result.character = CodePointAt(unicode, index);
      explicit_bzero(result.bytes.data(), result.bytes.size());
      result.bytes.clear();
      break;
    }
    result.bytes.append(encoded.data(), encoded.size());
    Wipe(encoded);
  }
  Wipe(unicode);
  return result;
}

std::optional<Cp932Text> TakeEnvironmentSecretAsCp932(const char* name, TextEncoding from) {
  char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  Cp932Text result = ToCp932(value, from);
  // The value lives in the environment block the process started with (which
  // /proc/<pid>/environ shows) or in memory setenv() gave it; either way it is writable.
  explicit_bzero(value, std::strlen(value));
  unsetenv(name);
  return result;
}

}  // namespace platform
