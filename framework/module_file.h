#pragma once
// The running executable's path and the parts of a path that titles and error boxes show.

#include <string>
#include <string_view>

// Full path of the executable file of the process.
std::string ExecutablePath();

// The file name of path without its directory: the text after the last "\" or ":",
// searched by whole characters so the second byte of a double-byte character is never
// taken for a separator.
std::string_view FileNamePart(std::string_view path);
