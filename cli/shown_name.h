#pragma once
// A file or folder name is bytes that whoever made the file chose. Put into a line as it is, a
// line break in it forges a line of the program's own, an escape sequence drives the terminal,
// and bytes that are no character of the line's encoding garble what follows. Names are shown
// escaped instead; the files themselves keep their names.

#include <string>
#include <string_view>

#include "platform/path_text.h"

enum class LineEncoding { Utf8, Cp932 };

// The encoding of the program's lines, as platform::WriteConsoleText takes them: the ANSI
// code page where paths are Windows paths, UTF-8 elsewhere.
inline constexpr LineEncoding kLineEncoding =
    platform::kNativePathStyle == platform::PathStyle::Windows ? LineEncoding::Cp932 : LineEncoding::Utf8;

// name as a line may show it: every control byte (0x00-0x1F, 0x7F) and every byte that is not
// part of a whole character of encoding becomes "\xNN" (two uppercase hexadecimal digits); all
// else stays as it is, "\" included, since Windows paths are full of it. A name needing none of
// this comes back unchanged.
//   UTF-8: overlong forms, surrogates (U+D800-U+DFFF), code points above U+10FFFF and cut
//          sequences are invalid. The C1 controls U+0080-U+009F are valid but escaped, byte by
//          byte, because terminals obey them as they do the C0 controls.
//   Code page 932: a lead byte (0x81-0x9F, 0xE0-0xFC) followed by a trail byte (0x40-0x7E,
//          0x80-0xFC) is one character; 0xA1-0xDF alone is half-width katakana; a lead byte
//          without a trail byte, and 0x80, 0xA0 and 0xFD-0xFF, are invalid.
// Never throws except std::bad_alloc.
std::string ShownName(std::string_view name, LineEncoding encoding = kLineEncoding);
