#pragma once
// Passwords are digested as code page 932 bytes, as the dialog holds them, whatever the
// encoding of the text the user gave. The user's text encoding:
//   POSIX: the codeset of the LC_CTYPE locale of the environment; UTF-8 where the locale names
//          none (the C and POSIX locales, or a locale that is not installed).
//   Windows: the console's input code page, or the ANSI code page without a console.
// A password file may be in another: Notepad writes UTF-8 today and code page 932 ("ANSI" on a
// Japanese Windows) before 2019, on whichever system the file is read.

#include <cstddef>
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

enum class TextEncoding {
  User,  // the user's text encoding, as above
  Utf8,
  Cp932,
  // UTF-8 when the bytes are valid UTF-8 and not plain ASCII, else code page 932. Japanese text
  // in code page 932 is hardly ever valid UTF-8: its lead bytes are seldom followed by the
  // continuation bytes UTF-8 requires.
  Guess,
};

// Windows hands typed text and environment values over as characters (UTF-16), which leave
// nothing to guess; POSIX hands over bytes.
#ifdef _WIN32
inline constexpr bool kTypedTextIsCharacters = true;
#else
inline constexpr bool kTypedTextIsCharacters = false;
#endif

struct Cp932Text {
  std::string bytes;
  TextError error = TextError::None;
  // With Unrepresentable: the Unicode code point of the first such character.
  char32_t character = 0;
  // What the text was read as: never Guess, which is settled first.
  TextEncoding readAs = TextEncoding::User;
};

// Converts exactly, with code page 932's Microsoft mappings (U+FF5E FULLWIDTH TILDE -> 81 60);
// never substitutes a character. Text in code page 932 goes the whole way too, so that bytes
// that are no character are refused and duplicate codes come out as the dialog gives them.
// Buffers that held the text on the way are wiped.
Cp932Text ToCp932(std::string_view text, TextEncoding from);
inline Cp932Text UserTextToCp932(std::string_view text) {
  return ToCp932(text, TextEncoding::User);
}

// Whether the user's text encoding is UTF-8.
bool UserEncodingIsUtf8();

// Length of the well-formed UTF-8 sequence text starts with (Unicode's table 3-7), else 0:
// overlong forms, surrogates, code points above U+10FFFF and cut sequences are not.
size_t Utf8SequenceLength(std::string_view text);

// What TextEncoding::Guess takes text to be: Utf8 or Cp932.
TextEncoding GuessedEncoding(std::string_view text);

// The value of an environment variable, read as from says, converted to code page 932 as
// above; nullopt when it is not set. Windows takes the value in UTF-16 and converts it
// directly, so no character becomes "?" on the way, whatever the console's code page; from
// does not matter there. The variable is a secret: it is
// removed from the process's environment, its bytes overwritten where the process keeps them,
// so no child process inherits it and no dump of the process's environment shows it.
std::optional<Cp932Text> TakeEnvironmentSecretAsCp932(const char* name,
                                                     TextEncoding from = TextEncoding::User);

}  // namespace platform
