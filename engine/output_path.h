#pragma once
// Where the output of an input goes: the output folder, one separator unless the folder
// already ends in one, then the input's file name with its extension changed to ".CSV".
// Every search for a separator steps over whole double-byte characters.

#include <string>
#include <string_view>

#include "platform/path_text.h"

// The file name: the part after the last separator ("\" or ":" on Windows, "/" on POSIX).
std::string_view FileNameOf(std::string_view path, platform::PathStyle style);

// LOG0001.$S$ -> LOG0001.CSV, a.b.$S$ -> a.b.CSV, LOG -> LOG.CSV, .$S$ -> .CSV.
std::string OutputFileNameFor(std::string_view fileName);

std::string OutputPathFor(std::string_view outputFolder, std::string_view inputPath,
                          platform::PathStyle style = platform::kNativePathStyle);

// The folder part of path: everything before its last separator ("" when it has none; the
// root itself for a file at the root).
std::string FolderOf(std::string_view path, platform::PathStyle style = platform::kNativePathStyle);
