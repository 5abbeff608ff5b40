#include "platform/path_text.h"

namespace platform {
namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::string_view kEllipsisFolder = "...\\";

char SeparatorOf(PathStyle style) { return style == PathStyle::Windows ? '\\' : '/'; }

// The separators that end a folder or start a last name: on Windows ":" as well, since "E:a"
// names "a" in the drive's current folder.
std::string_view NameSeparatorsOf(PathStyle style) {
  return style == PathStyle::Windows ? std::string_view("\\:") : std::string_view("/");
}

// Whether text's last character is one of separators. POSIX paths may be UTF-8, whose bytes
// a double-byte scan would misread; "/" never occurs inside a multi-byte character of UTF-8
// or code page 932, so there the last byte decides.
bool EndsInSeparator(std::string_view text, std::string_view separators, PathStyle style) {
  if (text.empty()) return false;
  // The last character's first byte: a lead byte is never one of the ASCII separators.
  const std::size_t last = style == PathStyle::Posix ? text.size() - 1 : LastCharacterIndex(text);
  return separators.find(text[last]) != npos;
}

std::size_t FindLastNameSeparator(std::string_view path, PathStyle style) {
  return style == PathStyle::Windows ? FindLastSeparator(path, NameSeparatorsOf(style))
                                     : path.rfind('/');
}

bool StartsWithDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' && CharacterLength(path, 0) == 1;
}

// The byte length of text's first count whole characters.
std::size_t LeadingCharacters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (; count > 0 && end < text.size(); --count) end += CharacterLength(text, end);
  return end;
}

}  // namespace

std::size_t CharacterLength(std::string_view text, std::size_t index) {
  const bool pairFollows = index + 1 < text.size();
  return pairFollows && IsLeadByte(static_cast<unsigned char>(text[index])) ? 2 : 1;
}

std::size_t LastCharacterIndex(std::string_view text) {
  std::size_t last = npos;
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) last = i;
  return last;
}

std::size_t FindLastSeparator(std::string_view text, std::string_view separators) {
  std::size_t found = npos;
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) {
    if (separators.find(text[i]) != npos) found = i;
  }
  return found;
}

std::size_t FindSeparatorFrom(std::string_view text, std::size_t start) {
  for (std::size_t i = start; i < text.size(); i += CharacterLength(text, i)) {
    if (text[i] == '\\') return i;
  }
  return npos;
}

std::string_view LastName(std::string_view path, PathStyle style) {
  const std::size_t separator = FindLastNameSeparator(path, style);
  return separator == npos ? path : path.substr(separator + 1);
}

std::string FolderOf(std::string_view path, PathStyle style) {
  const std::size_t separator = FindLastNameSeparator(path, style);
  if (separator == npos) return {};
  // A root keeps its separator: "C:" without it names the drive's current folder instead.
  const bool atRoot =
      separator == 0 || (style == PathStyle::Windows && path[separator - 1] == ':');
  return std::string(path.substr(0, atRoot ? separator + 1 : separator));
}

std::string PathInFolder(std::string_view folder, std::string_view name, PathStyle style) {
  const char separator = SeparatorOf(style);
  std::string path(folder);
  if (!EndsInSeparator(folder, std::string_view(&separator, 1), style)) path += separator;
  path += name;
  return path;
}

std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style) {
  const std::string_view separators =
      style == PathStyle::Windows ? std::string_view("\\/:") : std::string_view("/");
  std::string path(folder);
  if (!folder.empty() && !EndsInSeparator(folder, separators, style)) path += SeparatorOf(style);
  path += name;
  return path;
}

char UpperDriveLetter(char letter) {
  return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

std::string DrivePart(std::string_view path) {
  if (StartsWithDriveLetter(path)) return std::string(path.substr(0, 2));
  if (path.starts_with("\\\\")) {
    const std::size_t serverEnd = FindSeparatorFrom(path, 2);
    if (serverEnd == npos) return std::string(path);
    return std::string(path.substr(0, FindSeparatorFrom(path, serverEnd + 1)));
  }
  return {};
}

std::string WithoutDrivePart(std::string_view path) {
  const std::string rest(path.substr(DrivePart(path).size()));
  return rest.empty() ? "\\" : rest;
}

int PathDepth(std::string_view path) {
  int depth = 0;
  for (std::size_t i = 0; i < path.size(); i += CharacterLength(path, i)) {
    if (path[i] == '\\') ++depth;
  }
  return depth;
}

std::string DropLeadingFolder(std::string_view dir) {
  if (dir == "\\") return {};
  const bool leadingSeparator = dir.starts_with('\\');
  if (leadingSeparator) dir.remove_prefix(1);
  // An earlier "...\" goes before the next folder is replaced by one.
  if (dir.starts_with('.')) dir.remove_prefix(LeadingCharacters(dir, kEllipsisFolder.size()));
  std::string dropped;
  const std::size_t separator = FindSeparatorFrom(dir, 0);
  if (separator != npos) {
    dropped = kEllipsisFolder;
    dropped += dir.substr(separator + 1);
  }
  if (leadingSeparator) dropped.insert(0, 1, '\\');
  return dropped;
}

std::string ShortenPathToWidth(std::string_view path,
                               const std::function<int(std::string_view)>& textWidth, int width) {
  std::string result(path);
  const std::string_view name = LastName(path, PathStyle::Windows);
  std::string dir(path.substr(0, path.size() - name.size()));
  // Only a drive letter gives way as a whole; a share's name is shortened as folders are.
  std::string drive;
  if (StartsWithDriveLetter(dir)) {
    drive = dir.substr(0, 2);
    dir.erase(0, 2);
  }
  while ((!dir.empty() || !drive.empty()) && textWidth(result) > width) {
    if (dir == "\\...\\") {
      drive.clear();
      dir = kEllipsisFolder;
    } else if (dir.empty()) {
      drive.clear();
    } else {
      dir = DropLeadingFolder(dir);
    }
    result = drive + dir;
    result += name;
  }
  return result;
}

}  // namespace platform
