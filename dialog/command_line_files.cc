// Files named on the command line join the file list; the lists move to the last one's
// directory.

#include <windows.h>

#include "browsing/file_name_text.h"
#include "browsing/split_command_path.h"
#include "dialog/ok_right_dlg.h"
#include "platform/command_line.h"

namespace {

bool Listed(TFileListBox& list, const std::string& name) {
  for (int i = 0; i < list.ItemCount(); ++i) {
    if (SamePath(list.ItemText(i), name)) return true;
  }
  return false;
}

}  // namespace

std::function<std::string()> TOKRightDlg::CommandLineSource = [] {
  return std::string(GetCommandLineA());
};

void TOKRightDlg::TakeCommandLineFiles() {
  const std::vector<std::string> arguments = platform::CommandLineArguments(CommandLineSource());
  if (arguments.empty()) return;
  CommandPathParts parts;
  for (const std::string& argument : arguments) {
    parts = SplitCommandPath(argument);
    // A name the list already shows (the named file lies in the directory the list was
    // filled from) and the empty name of a named directory would stand in the list as
    // extra rows that name no file of their own: they are left out.
    if (parts.filePart.empty() || Listed(FileListBox1, parts.filePart)) continue;
    FileListBox1.AddListItem(parts.filePart, OKRightDlg);
  }
  DirectoryListBox1.SetDriveLetter(parts.driveLetter);
  DirectoryListBox1.SetFolder(parts.directoryPart);
}
