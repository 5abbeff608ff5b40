#include "browsing/split_command_path.h"

#include "browsing/split_path_text.h"
#include "framework/current_directory.h"
#include "platform/file.h"
#include "platform/path_text.h"

namespace {

using platform::PathKind;
using platform::QueryPathKind;

// Puts the saved current directory back. Restore() is the ordinary way out and raises
// when the directory cannot be entered; the destructor covers the ways out by exception,
// where a second exception must not replace the first.
class CurrentDirectoryRestorer {
 public:
  explicit CurrentDirectoryRestorer(std::string saved) : saved_(std::move(saved)) {}
  CurrentDirectoryRestorer(const CurrentDirectoryRestorer&) = delete;
  CurrentDirectoryRestorer& operator=(const CurrentDirectoryRestorer&) = delete;

  ~CurrentDirectoryRestorer() {
    if (restored_) return;
    try {
      Restore();
    } catch (...) {
    }
  }

  void Restore() {
    restored_ = true;
    // A saved directory that was removed meanwhile is not an error of the split.
    if (QueryPathKind(saved_) == PathKind::Directory) ChangeCurrentDirectory(saved_);
  }

 private:
  std::string saved_;
  bool restored_ = false;
};

}  // namespace

CommandPathParts SplitCommandPath(const std::string& written) {
  // The system takes "/" for "\\" ("Z:/logs/a.$S$"): split it the same way, or the whole
  // path would come back as one file name that no folder holds.
  const std::string path = WithBackslashes(written);
  const std::string saved = CurrentDirectory();
  const RootedPath rooted = SeparateRoot(path, saved);
  CurrentDirectoryRestorer restorer(saved);

  // For "E:" the system resolves the drive's remembered directory; a root that does not
  // exist is passed over, so the directory part is then taken on the current drive. A root
  // that exists but refuses entry raises at once: passing it over too would look the
  // directory part up on the wrong drive.
  if (QueryPathKind(rooted.root) == PathKind::Directory) ChangeCurrentDirectory(rooted.root);

  std::string filePart(platform::LastName(rooted.directoryPart, platform::PathStyle::Windows));
  std::string directoryPart = CutDirectoryPart(rooted.directoryPart, filePart, CurrentDirectory());
  if (!directoryPart.empty()) ChangeCurrentDirectory(directoryPart);

  if (!filePart.empty() && !IsPattern(filePart) && QueryPathKind(filePart) != PathKind::File) {
    ChangeCurrentDirectory(filePart);
    directoryPart = DescendInto(directoryPart, filePart);
    filePart.clear();
  }
  if (rooted.driveLetter == '\0') directoryPart = WithNetworkRoot(rooted.root, directoryPart);

  restorer.Restore();
  return {rooted.driveLetter, std::move(directoryPart), std::move(filePart)};
}
