#include "browsing/directory_list_text.h"

#include "platform/path_text.h"

std::vector<FolderEntry> PathLevelEntries(std::string_view folder) {
  std::vector<FolderEntry> entries;
  const std::string root = platform::DrivePart(folder) + "\\";
  std::string_view rest = folder;
  const bool network = root.size() >= 2 && root[1] == '\\';
  if (network) {
    entries.push_back({root, FolderEntryKind::Open});
    rest = folder.size() > root.size() ? folder.substr(root.size()) : std::string_view();
  }
  if (rest.empty()) return entries;
  const std::size_t last = platform::LastCharacterIndex(rest);
  if (rest[last] != '\\') {
    bool first = !network;
    for (std::size_t separator = platform::FindSeparatorFrom(rest, 0);
         separator != std::string_view::npos; separator = platform::FindSeparatorFrom(rest, 0)) {
      std::string level(rest.substr(0, separator));
      // "C:" stands for the root only with its separator.
      if (first) level += '\\';
      first = false;
      entries.push_back({std::move(level), FolderEntryKind::Open});
      rest = rest.substr(separator + 1);
    }
  }
  entries.push_back({std::string(rest), FolderEntryKind::Current});
  return entries;
}

std::string PathLevelPath(std::string_view folder, int index) {
  const std::string drive = platform::DrivePart(folder);
  if (index <= 0) return drive + "\\";
  const std::string_view rest = folder.substr(drive.size());
  std::size_t stop = 0;
  int separators = 0;
  for (; stop < rest.size(); stop += platform::CharacterLength(rest, stop)) {
    if (rest[stop] == '\\' && ++separators == index + 1) break;
  }
  return drive + std::string(rest.substr(0, stop));
}
