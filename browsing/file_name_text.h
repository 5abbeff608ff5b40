#pragma once
// File names and paths as the browsing controls compare and build them: bytes in the
// system's ANSI code page, which may be double-byte (code page 932).

#include <string>
#include <string_view>

// How file names are lower-cased before they are compared.
enum class FileNameCase {
  // Only "A"-"Z" are lowered; a double-byte character is copied whole, so a trail byte
  // in "A"-"Z" (as in "ア", 0x83 0x41) is never changed into another character.
  AsciiLettersOnly,
  // The locale's lower case of every character (CharLowerBuffA).
  Locale,
};

// AsciiLettersOnly when the ANSI code page is double-byte, else Locale.
FileNameCase SystemFileNameCase();

// text lower-cased by rule.
std::string LowerFileName(std::string_view text, FileNameCase rule);

// text lower-cased by the system's rule (SystemFileNameCase()).
std::string LowerFileName(std::string_view text);

// text upper-cased by the system's rule: on a double-byte code page only "a"-"z" change.
std::string UpperFileName(std::string_view text);

// -1, 0 or +1: the user locale's ordering of a and b (CompareStringA, user default
// locale, no flags), which tells letter case apart.
int CompareLocaleText(std::string_view a, std::string_view b);

// True when a and b, both lower-cased by the system's rule, compare equal in the user
// locale.
bool SamePath(std::string_view a, std::string_view b);
