#pragma once
// The dialog's own reading of its command line (the text GetCommandLineA returns), kept
// free of the system so it is tested and fuzzed on any platform.
//
// Rules: before each item, characters 1 to 32 and pairs of adjacent double quotes are
// skipped; an item runs to the next character 0 to 32 outside double quotes; a double quote
// opens a quoted stretch up to the next one or the end of the text, both quotes dropped and
// blanks inside kept. Characters are whole characters of the ANSI code page, so the second
// byte of a double-byte character is never a quote or a blank.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The arguments: the items after the program's own path, up to the first empty item (which
// only a lone quote at the end of the text gives). The text ends at its first NUL.
std::vector<std::string> CommandLineArguments(std::string_view commandLine);

}  // namespace platform
