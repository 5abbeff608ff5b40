#pragma once
// Listing a folder, for the command-line decoder's folder arguments.

#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "platform/path_text.h"  // JoinPath, for the entries' paths

namespace platform {

struct DirectoryEntry {
  std::string name;
  PathKind kind = PathKind::Missing;  // what the entry names, links followed
  bool isLink = false;                // a symbolic link or, on Windows, a reparse point
};

// The entries of folder except "." and "..", in no particular order.
Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& folder);

}  // namespace platform
