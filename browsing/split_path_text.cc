#include "browsing/split_path_text.h"

#include "platform/path_text.h"

namespace {

char DriveLetterOf(std::string_view root) {
  return root.size() >= 2 && root[1] == ':' ? root[0] : '\0';
}

}  // namespace

std::string WithBackslashes(std::string_view path) {
  std::string turned(path);
  for (std::size_t i = 0; i < turned.size(); i += platform::CharacterLength(turned, i)) {
    if (turned[i] == '/') turned[i] = '\\';
  }
  return turned;
}

// The whole-character search serves for wildcards as well as for separators.
bool IsPattern(std::string_view name) {
  return platform::FindLastSeparator(name, "*?") != std::string_view::npos;
}

RootedPath SeparateRoot(std::string_view path, std::string_view savedDirectory) {
  const bool bracketed = path.size() >= 2 && path.front() == '[' &&
                         platform::LastCharacterIndex(path) == path.size() - 1 &&
                         path.back() == ']';
  if (bracketed) {
    const char savedLetter = savedDirectory.empty() ? '\0' : savedDirectory.front();
    return {savedLetter, {}, std::string(path.substr(1, path.size() - 2))};
  }
  std::string root = platform::DrivePart(path);
  std::string directoryPart(path.substr(root.size()));
  if (root.empty()) root = platform::DrivePart(savedDirectory);
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
  return platform::WithoutDrivePart(currentDirectory);
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
