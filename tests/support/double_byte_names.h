#pragma once
// Double-byte characters of code page 932 whose trail byte is 0x5C, the byte of "\": where a
// byte-wise search for a separator goes wrong. Spelt as bytes, so they are the same in the
// native build (UTF-8 literals) and the Windows build (code page 932 literals).

#include <string>

inline const std::string kSo = "\x83\x5C";   // "ソ"
inline const std::string kHyo = "\x95\x5C";  // "表"
