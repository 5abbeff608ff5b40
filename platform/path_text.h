#pragma once
// Paths are bytes in the system's ANSI code page, which may be double-byte (code page 932):
// a search for a separator must step over whole characters, because the second byte of a
// double-byte character (as in "ソ" 0x83 0x5C) can equal "\".

#include <cstddef>
#include <string_view>

namespace platform {

// Lead byte of a double-byte character: IsDBCSLeadByte on Windows, the code page 932 lead
// ranges 0x81-0x9F and 0xE0-0xFC elsewhere.
bool IsLeadByte(unsigned char byte);

// Length of the character starting at text[index]: 2 for a lead byte followed by another
// byte, else 1.
std::size_t CharacterLength(std::string_view text, std::size_t index);

// Index of the start of the last whole character, or npos for an empty text.
std::size_t LastCharacterIndex(std::string_view text);

// Index of the last byte that is one of separators and starts a whole character, or npos.
std::size_t FindLastSeparator(std::string_view text, std::string_view separators);

// How paths of this platform are spelt.
enum class PathStyle { Windows, Posix };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

}  // namespace platform
