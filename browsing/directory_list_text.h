#pragma once
// The directory list's levels as text (directory_list_box.h), which need no file system. The
// general path rules they build on (drive part, separators, depth, shortening) are
// platform/path_text.h's.

#include <string>
#include <string_view>
#include <vector>

// What an entry of the list stands for; each kind has its glyph.
enum class FolderEntryKind {
  Open,     // OPENFOLDER: the root or a level between the root and the current directory
  Current,  // CURRENTFOLDER: the current directory
  Closed,   // CLOSEDFOLDER: a subdirectory of the current directory
};

struct FolderEntry {
  std::string text;
  FolderEntryKind kind;

  friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// The entries for the levels of folder's path, subdirectories aside: the root ("C:\" or
// "\\srv\share\") and each level below it as Open entries, the last level as the Current
// one. A drive root is one Current entry "C:\"; a share's root gives only its Open entry.
std::vector<FolderEntry> PathLevelEntries(std::string_view folder);

// The path the path level at index (0 the root) stands for: folder's drive part and the
// text of folder up to the (index + 1)-th "\" after it. "C:\logs\2008\jan" gives "C:\" for
// 0, "C:\logs" for 1 and "C:\logs\2008" for 2.
std::string PathLevelPath(std::string_view folder, int index);
