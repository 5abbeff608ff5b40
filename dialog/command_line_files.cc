// Files named on the command line, or dropped on the dialog, join the file list; the lists
// move to the last one's directory.

#include <windows.h>

#include <string>
#include <vector>

#include "browsing/file_name_text.h"
#include "browsing/split_command_path.h"
#include "browsing/split_path_text.h"
#include "dialog/ok_right_dlg.h"
#include "platform/command_line.h"
#include "platform/file.h"
#include "platform/path_text.h"

namespace {

bool Listed(TFileListBox& list, const std::string& name) {
  for (int i = 0; i < list.ItemCount(); ++i) {
    if (SamePath(list.ItemText(i), name)) return true;
  }
  return false;
}

// The full path of the folder that parts name. A relative directory part is taken against
// the current directory, which the split has put back, and on its drive's remembered
// directory ("E:sub"), as the directory list will take it.
std::string FullFolder(const CommandPathParts& parts) {
  std::string folder = parts.directoryPart;
  if (parts.driveLetter != '\0') folder.insert(0, {parts.driveLetter, ':'});
  const DWORD needed = GetFullPathNameA(folder.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return folder;
  std::string full(needed, '\0');
  const DWORD length = GetFullPathNameA(folder.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return folder;
  full.resize(length);
  return full;
}

// True when parts name a file of listedFolder. Folders whose names differ only in case are
// one folder on most volumes and two on a case-sensitive one: there the file decides.
bool InListedFolder(const CommandPathParts& parts, const std::string& listedFolder) {
  const std::string folder = FullFolder(parts);
  if (!SamePath(folder, listedFolder)) return false;
  if (folder == listedFolder) return true;
  return platform::QueryPathKind(platform::PathInFolder(listedFolder, parts.filePart)) ==
         platform::PathKind::File;
}

}  // namespace

std::function<std::string()> TOKRightDlg::CommandLineSource = [] {
  return std::string(GetCommandLineA());
};

void TOKRightDlg::TakeCommandLineFiles() {
  TakeFiles(platform::CommandLineArguments(CommandLineSource()));
}

void TOKRightDlg::TakeFiles(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return;
  // Every argument is split before any is listed, since a row is kept only when it lies in
  // the last argument's folder.
  std::vector<CommandPathParts> split;
  for (const std::string& argument : arguments) split.push_back(SplitCommandPath(argument));
  const CommandPathParts& last = split.back();
  const std::string listedFolder = FullFolder(last);
  for (const CommandPathParts& parts : split) {
    // The run takes every row as a file of the folder the list shows, so rows that name
    // none would fail it: the empty name of a named directory, a pattern, a name from
    // another folder, and a name the list already shows (the named file lies in the
    // directory the list was filled from).
    if (parts.filePart.empty() || IsPattern(parts.filePart) || !InListedFolder(parts, listedFolder) ||
        Listed(FileListBox1, parts.filePart)) {
      continue;
    }
    FileListBox1.AddListItem(parts.filePart, OKRightDlg);
  }
  DirectoryListBox1.SetDriveLetter(last.driveLetter);
  DirectoryListBox1.SetFolder(last.directoryPart);
}
