#include "browsing/split_command_path.h"

#include <windows.h>

#include "framework/exceptions.h"
#include "platform/path_text.h"

namespace {

constexpr auto npos = std::string_view::npos;

std::size_t FindSeparatorFrom(std::string_view path, std::size_t start) {
  for (std::size_t i = start; i < path.size(); i += platform::CharacterLength(path, i)) {
    if (path[i] == '\\') return i;
  }
  return npos;
}

DWORD AttributesOf(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// path with every "/" that stands as a whole character turned into "\".
std::string WithBackslashes(std::string_view path) {
  std::string turned(path);
  for (std::size_t i = 0; i < turned.size(); i += platform::CharacterLength(turned, i)) {
    if (turned[i] == '/') turned[i] = '\\';
  }
  return turned;
}

char DriveLetterOf(std::string_view root) {
  return root.size() >= 2 && root[1] == ':' ? root[0] : '\0';
}

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
    if (IsDirectory(saved_)) ChangeCurrentDirectory(saved_);
  }

 private:
  std::string saved_;
  bool restored_ = false;
};

}  // namespace

std::string DrivePart(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && platform::CharacterLength(path, 0) == 1) {
    return std::string(path.substr(0, 2));
  }
  if (path.starts_with("\\\\")) {
    const std::size_t serverEnd = FindSeparatorFrom(path, 2);
    if (serverEnd == npos) return std::string(path);
    return std::string(path.substr(0, FindSeparatorFrom(path, serverEnd + 1)));
  }
  return {};
}

std::string LastName(std::string_view path) {
  const std::size_t separator = platform::FindLastSeparator(path, "\\:");
  return std::string(separator == npos ? path : path.substr(separator + 1));
}

std::string WithoutDrivePart(std::string_view path) {
  const std::string rest(path.substr(DrivePart(path).size()));
  return rest.empty() ? "\\" : rest;
}

// The whole-character search serves for wildcards as well as for separators.
bool IsPattern(std::string_view name) { return platform::FindLastSeparator(name, "*?") != npos; }

RootedPath SeparateRoot(std::string_view path, std::string_view savedDirectory) {
  const bool bracketed = path.size() >= 2 && path.front() == '[' &&
                         platform::LastCharacterIndex(path) == path.size() - 1 &&
                         path.back() == ']';
  if (bracketed) {
    const char savedLetter = savedDirectory.empty() ? '\0' : savedDirectory.front();
    return {savedLetter, {}, std::string(path.substr(1, path.size() - 2))};
  }
  std::string root = DrivePart(path);
  std::string directoryPart(path.substr(root.size()));
  if (root.empty()) root = DrivePart(savedDirectory);
  const char letter = DriveLetterOf(root);
  return {letter, std::move(root), std::move(directoryPart)};
}

std::string CutDirectoryPart(std::string_view directoryPart, std::string_view filePart,
                             std::string_view currentDirectory) {
  // The file part is the tail of the directory part, after a one-byte "\" or ":".
  if (directoryPart.size() == filePart.size() + 1) return "\\";
  if (directoryPart.size() > filePart.size()) {
    return std::string(directoryPart.substr(0, directoryPart.size() - filePart.size() - 1));
  }
  return WithoutDrivePart(currentDirectory);
}

std::string DescendInto(std::string_view directoryPart, std::string_view name) {
  // Only the root itself may lose its character: a one-character relative folder ("." or
  // "a") kept in front, so ".\sub" stays below the current directory instead of the root.
  const bool root = directoryPart == "\\";
  std::string descended = root ? "" : std::string(directoryPart);
  descended += '\\';
  descended += name;
  return descended;
}

std::string WithNetworkRoot(std::string_view root, std::string_view directoryPart) {
  // A relative directory part ("sub" of "sub\a.$S$") stays relative, as it does on a drive
  // letter: glued to the share it would name another share ("\\srv\sharesub").
  std::string rooted(directoryPart.starts_with('\\') ? root : std::string_view());
  rooted += directoryPart;
  return rooted;
}

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
  if (IsDirectory(rooted.root)) ChangeCurrentDirectory(rooted.root);

  std::string filePart = LastName(rooted.directoryPart);
  std::string directoryPart = CutDirectoryPart(rooted.directoryPart, filePart, CurrentDirectory());
  if (!directoryPart.empty()) ChangeCurrentDirectory(directoryPart);

  if (!filePart.empty() && !IsPattern(filePart) && !IsFile(filePart)) {
    ChangeCurrentDirectory(filePart);
    directoryPart = DescendInto(directoryPart, filePart);
    filePart.clear();
  }
  if (rooted.driveLetter == '\0') directoryPart = WithNetworkRoot(rooted.root, directoryPart);

  restorer.Restore();
  return {rooted.driveLetter, std::move(directoryPart), std::move(filePart)};
}
