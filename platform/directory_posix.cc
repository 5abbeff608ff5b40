#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/directory.h"

namespace platform {
namespace {

class DirectoryStream {
 public:
  explicit DirectoryStream(const std::string& path) : stream_(opendir(path.c_str())) {}
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;
  ~DirectoryStream() {
    if (stream_ != nullptr) closedir(stream_);
  }
  DIR* get() const { return stream_; }

 private:
  DIR* stream_;
};

PathKind KindOf(const struct stat& status) {
  if (S_ISDIR(status.st_mode)) return PathKind::Directory;
  return S_ISREG(status.st_mode) ? PathKind::File : PathKind::Other;
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::string& folder) {
  const DirectoryStream stream(folder.empty() ? std::string(".") : folder);
  if (stream.get() == nullptr) return {std::nullopt, static_cast<SystemError>(errno)};
  const int descriptor = dirfd(stream.get());

  std::vector<DirectoryEntry> entries;
  for (;;) {
    errno = 0;
    const dirent* found = readdir(stream.get());
    if (found == nullptr) {
      if (errno != 0) return {std::nullopt, static_cast<SystemError>(errno)};
      break;
    }
    const std::string_view name = found->d_name;
    if (name == "." || name == "..") continue;

    DirectoryEntry entry;
    entry.name = name;
    struct stat status {};
    if (fstatat(descriptor, found->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
      entry.isLink = S_ISLNK(status.st_mode);
      entry.kind = KindOf(status);
    }
    // A dangling link names nothing.
    if (entry.isLink) {
      entry.kind =
          fstatat(descriptor, found->d_name, &status, 0) == 0 ? KindOf(status) : PathKind::Missing;
    }
    entries.push_back(std::move(entry));
  }
  return {std::move(entries), 0};
}

}  // namespace platform
