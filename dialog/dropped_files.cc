// Files and folders dropped on the dialog from the shell.

#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "dialog/ok_right_dlg.h"
#include "framework/application.h"

namespace {

// The shell's drop handle, released on every way out, since the shell leaves it to the
// window that received it.
class DropHandle {
 public:
  explicit DropHandle(HDROP drop) : drop_(drop) {}
  DropHandle(const DropHandle&) = delete;
  DropHandle& operator=(const DropHandle&) = delete;
  ~DropHandle() { DragFinish(drop_); }

  // The dropped paths in the order the shell gives them, the ANSI code page's bytes.
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop_, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::string path(DragQueryFileA(drop_, i, nullptr, 0) + 1, '\0');
      const UINT length = DragQueryFileA(drop_, i, path.data(), static_cast<UINT>(path.size()));
      path.resize(length);
      if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
  }

 private:
  HDROP drop_;
};

}  // namespace

void TOKRightDlg::WindowCreated() {
  TForm::WindowCreated();
  DragAcceptFiles(Handle(), TRUE);
}

LRESULT TOKRightDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    FilesDropped(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

void TOKRightDlg::FilesDropped(HDROP drop) {
  const DropHandle dropped(drop);
  if (running_) {
    heldDrops_.push_back(dropped.Paths());
    return;
  }
  TakeDroppedPaths(dropped.Paths());
}

void TOKRightDlg::TakeDroppedPaths(const std::vector<std::string>& paths) {
  // At start-up a path that cannot be resolved ends the program with the error box; here
  // the user only let go of the wrong item, so the box is shown and the dialog stays.
  try {
    TakeFiles(paths);
  } catch (...) {
    Owner().ShowStartupError(std::current_exception());
  }
}

void TOKRightDlg::TakeHeldDrops() {
  std::vector<std::vector<std::string>> held;
  held.swap(heldDrops_);
  for (const std::vector<std::string>& paths : held) TakeDroppedPaths(paths);
}
