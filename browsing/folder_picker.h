#pragma once
// The shell's folder-browsing dialog (SHBrowseForFolderA), shown modally over the thread's
// windows, for choosing the output folder.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "browsing/browse_options.h"
#include "framework/object.h"

class TWinControl;

// Shows the browse dialog titled caption and returns true when the user confirmed a
// folder, which is then in folder as a full file-system path.
//
// folder, on entry, is the folder to preselect; it is emptied first when it is not an
// existing directory, and keeps that value whenever false is returned. root (empty: the
// desktop) is where the tree starts; a root the shell cannot parse also starts at the
// desktop. The dialog is owned by parent's window when parent has one, else by the
// application's window. With boNewDialogStyle the thread's COM apartment is initialised
// (single-threaded) for the browse and released after it; a thread already in the
// multithreaded apartment gets the older dialog style instead, its COM left as it is.
//
// While the dialog is open every other visible, enabled top-level window of the thread is
// disabled and the process's error mode also fails critical errors without asking the
// user; both are put back on every way out.
//
// Returns false, with folder as above, when the user cancels, when the shell's allocator or
// its memory is not available, and when the chosen item has no file-system path. An
// exception in one of the dialog's callbacks goes to the application's handling and never
// leaves PickFolder.
bool PickFolder(const std::string& caption, const std::wstring& root, std::string& folder,
                TBrowseOptions options, TWinControl* parent = nullptr);

// Answers the browse dialog's callback messages for one browse.
class TSelectDirCallback : public TObject {
 public:
  explicit TSelectDirCallback(std::string initialFolder) : initialFolder_(std::move(initialFolder)) {}

  // The folder preselected when the dialog opens; empty for none.
  const std::string& InitialFolder() const { return initialFolder_; }

  // BFFM_INITIALIZED: centers the dialog on the monitor nearest the main form's window (the
  // dialog's own monitor while the main form has no window), keeping its size and z-order,
  // then preselects InitialFolder when it is not empty; 0.
  // BFFM_VALIDATEFAILEDA (value: the typed text, ANSI): the error box with
  // InvalidPathMessage, owned by the dialog; 1, so the dialog stays open.
  // Anything else: 0. Raises what the message box function raises.
  int HandleBrowseMessage(HWND dialog, UINT message, LPARAM value);

 private:
  int OnInitialized(HWND dialog) const;
  int OnValidateFailed(HWND dialog, const char* typed) const;
  void Center(HWND dialog) const;

  std::string initialFolder_;
};

// The callback given to the shell: data is the browse's TSelectDirCallback, whose
// HandleBrowseMessage answers. An exception goes to the application's handling, with the
// callback object as sender, and the answer is then 1 for BFFM_VALIDATEFAILEDA (an
// unvalidated name is never taken) and 0 otherwise. Without an object the answer is 0.
int CALLBACK SelectDirBrowseCallback(HWND dialog, UINT message, LPARAM value, LPARAM data);

// Top-left corner that centers window on monitor: each coordinate is the monitor's edge
// plus half the difference of the extents, the half rounding toward zero.
POINT CenteredOnMonitor(const RECT& monitor, const RECT& window);

// The text of the validation error box: the typed text in double quotes, a space and
// "は無効なパスです".
std::string InvalidPathMessage(std::string_view typed);

// Format of the validation error box's text; "%s" stands for the typed text.
inline constexpr const char kInvalidPathFormat[] = "\"%s\" は無効なパスです";
// Caption of the validation error box.
inline constexpr const char kErrorCaption[] = "エラー";
// Flags of the validation error box: one OK button and the error icon.
inline constexpr UINT kErrorBoxFlags = MB_OK | MB_ICONERROR;
