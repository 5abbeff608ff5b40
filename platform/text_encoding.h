#pragma once
// Passwords are digested as code page 932 bytes, as the dialog holds them, whatever the
// encoding of the text the user gave. The user's text encoding:
//   POSIX: the codeset of the LC_CTYPE locale of the environment; UTF-8 where the locale names
//          none (the C and POSIX locales, or a locale that is not installed).
//   Windows: the console's input code page, or the ANSI code page without a console.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class TextError {
  None,
  Malformed,        // the text is not valid in the user's encoding
  Unrepresentable,  // a character has no code in code page 932
  NoConverter,      // the system cannot convert between the two encodings
};

struct Cp932Text {
  std::string bytes;
  TextError error = TextError::None;
  // With Unrepresentable: the Unicode code point of the first such character.
  char32_t character = 0;
};

// Converts exactly, with code page 932's Microsoft mappings (U+FF5E FULLWIDTH TILDE -> 81 60);
// never substitutes a character. Buffers that held the text on the way are wiped.
Cp932Text UserTextToCp932(std::string_view text);

// The value of an environment variable converted to code page 932 as above; nullopt when it
// is not set. Windows takes the value in UTF-16 and converts it directly, so no character
// becomes "?" on the way, whatever the console's code page. The variable is a secret: it is
// removed from the process's environment, its bytes overwritten where the process keeps them,
// so no child process inherits it and no dump of the process's environment shows it.
std::optional<Cp932Text> TakeEnvironmentSecretAsCp932(const char* name);

}  // namespace platform
