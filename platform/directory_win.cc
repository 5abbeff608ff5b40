#include <windows.h>

#include "platform/directory.h"
#include "platform/path_text.h"

namespace platform {
namespace {

class FindHandle {
 public:
  FindHandle(const std::string& pattern, WIN32_FIND_DATAA& data)
      : handle_(FindFirstFileA(pattern.c_str(), &data)) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (IsValid()) FindClose(handle_);
  }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool EndsWithFolderSeparator(std::string_view path) {
  const std::size_t last = LastCharacterIndex(path);
  return last != std::string_view::npos && last + 1 == path.size() &&
         (path[last] == '\\' || path[last] == '/' || path[last] == ':');
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& folder) {
  WIN32_FIND_DATAA data{};
  const FindHandle search(JoinPath(folder.empty() ? std::string(".") : folder, "*"), data);
  std::vector<DirectoryEntry> entries;
  if (!search.IsValid()) {
    const DWORD error = GetLastError();
    // A drive's root has no "." or ".." entries, so an empty root matches nothing.
    if (error == ERROR_FILE_NOT_FOUND) return {std::move(entries), 0};
    return {std::nullopt, error};
  }
  do {
    const std::string_view name = data.cFileName;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = name;
    entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Directory
                                                                         : PathKind::File;
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileA(search.get(), &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) return {std::nullopt, error};
  return {std::move(entries), 0};
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !EndsWithFolderSeparator(path)) path += '\\';
  path += name;
  return path;
}

}  // namespace platform
