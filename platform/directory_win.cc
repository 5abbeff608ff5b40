#include <windows.h>

#include "platform/directory.h"
#include "platform/path_text.h"
#include "platform/win_handles.h"

namespace platform {

Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& folder) {
  FileSearch search(JoinPath(folder.empty() ? std::string(".") : folder, "*"));
  std::vector<DirectoryEntry> entries;
  if (!search.Found()) {
    const DWORD error = GetLastError();
    // A drive's root has no "." or ".." entries, so an empty root matches nothing.
    if (error == ERROR_FILE_NOT_FOUND) return {std::move(entries), 0};
    return {std::nullopt, error};
  }
  do {
    const WIN32_FIND_DATAA& data = search.Entry();
    const std::string_view name = data.cFileName;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = name;
    entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory
                                                                         : PathKind::File;
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back(std::move(entry));
  } while (search.Next());
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) return {std::nullopt, error};
  return {std::move(entries), 0};
}

}  // namespace platform
