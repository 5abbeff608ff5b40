#pragma once
// Support for the browsing controls' tests.
//
// Extra drive letters, made for real in the Wine prefix:
// through Wine's mount manager (as its configuration tool does), which gives a present drive
// of any type, or through a bare link in dosdevices, which gives a drive the system can
// enter but whose volume it cannot describe. Each is removed when its owner goes.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browsing/volume_query.h"
#include "framework/item_control.h"

// The texts of control's items, in the order of the native list.
std::vector<std::string> ItemTexts(TItemControl& control);

// The Unix path of a Windows path, as Wine maps it; empty when it has none.
std::string UnixPath(const std::string& windowsPath);

// Starts a Unix program (a command line of Unix paths); true when it started. Wine neither
// waits for it nor reports its exit code: callers wait for its effect (WaitUntil).
bool StartUnixCommand(const std::string& commandLine);

// Polls condition for up to 5 s; true as soon as it holds.
bool WaitUntil(const std::function<bool()>& condition);

// The directory the system makes current for path (as "h:" gives a drive's remembered
// directory), the current directory put back; empty when it refuses.
std::string ResolvedDirectory(const std::string& path);

// Makes a directory by its Unix path, where letter case tells names apart: "Sub" beside
// "sub", which no Windows call can make.
bool MakeUnixDirectory(const std::string& unixPath);

// A drive letter of the mount manager's: present in GetLogicalDrives, of type driveType,
// on folder (a Windows path), or without a medium when folder is empty.
class MountedDrive {
 public:
  MountedDrive(char letter, UINT driveType, const std::string& folder);
  MountedDrive(const MountedDrive&) = delete;
  MountedDrive& operator=(const MountedDrive&) = delete;
  ~MountedDrive();

  bool Mounted() const { return mounted_; }
  // "f:\" style root, in the letter's case as given.
  std::string Root() const { return std::string{letter_, ':', '\\'}; }

 private:
  char letter_;
  bool mounted_;
};

// A drive letter made by a bare dosdevices link to folder (a Windows path): it can be
// entered, but GetLogicalDrives does not list it and its volume cannot be asked.
class LinkedDrive {
 public:
  LinkedDrive(char letter, const std::string& folder);
  LinkedDrive(const LinkedDrive&) = delete;
  LinkedDrive& operator=(const LinkedDrive&) = delete;
  ~LinkedDrive();

  bool Linked() const { return linked_; }

 private:
  std::string link_;
  std::string root_;
  bool linked_;
};

// Writes the label Wine reports for the volume whose root is folder (a Windows path):
// utf8Label in UTF-8, as Wine keeps it.
bool WriteVolumeLabel(const std::string& folder, const std::u8string& utf8Label);

// The colours of the pixels of rect in window's client area, as drawn on the screen, row by
// row.
std::vector<COLORREF> CapturePixels(HWND window, const RECT& rect);

// The colours of the pixels of a width x height picture that draw paints on a device
// context compatible with window's, row by row.
template <typename Draw>
std::vector<COLORREF> RenderPixels(HWND window, int width, int height, Draw&& draw);

// Sets a file's or directory's attributes (read-only, hidden, system); true when they took.
bool SetAttributes(const std::string& path, DWORD attributes);

// Makes an empty file, or a directory, at path (which must not exist yet), with attributes
// when they are not 0; true when it was made and the attributes took.
bool MakeFile(const std::string& path, DWORD attributes = 0);
bool MakeDirectory(const std::string& path, DWORD attributes = 0);

// The error code with which the system itself refuses to make path current, 0 when it
// does not refuse.
DWORD RefusalCode(const std::string& path);

// Puts its own answer in the place of the system's volume question while it lives, and
// records the process's error mode at every question.
class VolumeQuestions {
 public:
  // Every flags question is answered with flags when given; the rest goes to the system.
  explicit VolumeQuestions(std::optional<DWORD> flags = std::nullopt);
  VolumeQuestions(const VolumeQuestions&) = delete;
  VolumeQuestions& operator=(const VolumeQuestions&) = delete;
  ~VolumeQuestions();

  std::vector<UINT> modes;

 private:
  VolumeInformationQuery system_;
};

// The tree control of the shell's browse dialog, the same id on Windows and under Wine.
constexpr int kTreeViewId = 0x3741;

// Finds the browse dialog while a folder picker's modal loop runs, from a thread timer that
// this loop dispatches, and hands it once to answer, which inspects it and closes it. A
// dialog still open 5 s after its answer is cancelled and reported, so no test hangs.
class BrowseDialogDriver {
 public:
  explicit BrowseDialogDriver(std::function<void(HWND)> answer);
  BrowseDialogDriver(const BrowseDialogDriver&) = delete;
  BrowseDialogDriver& operator=(const BrowseDialogDriver&) = delete;
  ~BrowseDialogDriver();

  bool Answered() const { return answered_; }

 private:
  static constexpr UINT kTickMilliseconds = 20;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();

  static BrowseDialogDriver* current_;
  std::function<void(HWND)> answer_;
  UINT_PTR timer_ = 0;
  bool answered_ = false;
  UINT ticksSinceAnswer_ = 0;
};

// ---------------------------------------------------------------------------------------

struct MemoryPicture {
  MemoryPicture(HWND window, int width, int height);
  MemoryPicture(const MemoryPicture&) = delete;
  MemoryPicture& operator=(const MemoryPicture&) = delete;
  ~MemoryPicture();
  std::vector<COLORREF> Pixels() const;

  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  int width;
  int height;
};

template <typename Draw>
std::vector<COLORREF> RenderPixels(HWND window, int width, int height, Draw&& draw) {
  MemoryPicture picture(window, width, height);
  draw(picture.dc);
  return picture.Pixels();
}
