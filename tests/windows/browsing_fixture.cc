#include "tests/windows/browsing_fixture.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

// Wine's mount manager request that defines (or, with type DRIVE_NO_ROOT_DIR, removes) a
// drive letter; the texts follow the structure at their offsets.
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

constexpr DWORD kMountManagerType = 0x6D;
constexpr DWORD kDefineUnixDrive = CTL_CODE(kMountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool DefineUnixDrive(char letter, UINT driveType, const std::string& mountPoint) {
  std::vector<char> request(sizeof(UnixDriveRequest) + mountPoint.size() + 1, '\0');
  UnixDriveRequest header{};
  header.size = static_cast<ULONG>(request.size());
  header.type = driveType;
  header.letter = static_cast<WCHAR>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter);
  if (!mountPoint.empty()) {
    header.mountPointOffset = static_cast<USHORT>(sizeof header);
    std::memcpy(request.data() + sizeof header, mountPoint.c_str(), mountPoint.size() + 1);
  }
  std::memcpy(request.data(), &header, sizeof header);

  const HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const BOOL done = DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                    nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return done != FALSE;
}

std::wstring Widened(const std::string& text, UINT codePage) {
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

HWND FoundDialog = nullptr;

BOOL CALLBACK FindBrowseDialog(HWND window, LPARAM) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) == "#32770" && IsWindowVisible(window) && GetDlgItem(window, kTreeViewId)) {
    FoundDialog = window;
    return FALSE;
  }
  return TRUE;
}

HWND BrowseDialogOfThisThread() {
  FoundDialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindBrowseDialog, 0);
  return FoundDialog;
}

}  // namespace

std::vector<std::string> ItemTexts(TItemControl& control) {
  std::vector<std::string> texts;
  for (int i = 0; i < control.ItemCount(); ++i) texts.push_back(control.ItemText(i));
  return texts;
}

std::string UnixPath(const std::string& windowsPath) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const auto convert = reinterpret_cast<UnixFileName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  char* converted = convert(Widened(windowsPath, CP_ACP).c_str());
  if (!converted) return {};
  std::string path = converted;
  HeapFree(GetProcessHeap(), 0, converted);
  return path;
}

bool StartUnixCommand(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (condition()) return true;
    Sleep(10);
  }
  return false;
}

bool MakeUnixDirectory(const std::string& unixPath) {
  // Wine's NT name space reaches Unix paths as they are spelt under "\??\unix".
  std::wstring path = L"\\\\?\\unix" + Widened(unixPath, CP_UTF8);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

MountedDrive::MountedDrive(char letter, UINT driveType, const std::string& folder)
    : letter_(letter), mounted_(DefineUnixDrive(letter, driveType, folder.empty() ? "" : UnixPath(folder))) {}

MountedDrive::~MountedDrive() {
  if (mounted_) DefineUnixDrive(letter_, DRIVE_NO_ROOT_DIR, "");
}

LinkedDrive::LinkedDrive(char letter, const std::string& folder) : linked_(false) {
  std::string devices = UnixPath("C:\\");
  // ".../dosdevices/c:/" without "c:/".
  while (!devices.empty() && devices.back() == '/') devices.pop_back();
  devices.erase(devices.find_last_of('/') + 1);
  link_ = devices + static_cast<char>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter) + ":";
  const std::string target = UnixPath(folder);
  const std::string root{letter, ':', '\\'};
  linked_ = !target.empty() && StartUnixCommand("/bin/ln -sfn " + target + " " + link_) &&
            WaitUntil([&] { return GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES; });
  root_ = root;
}

LinkedDrive::~LinkedDrive() {
  if (!linked_) return;
  StartUnixCommand("/bin/rm -f " + link_);
  WaitUntil([this] { return GetFileAttributesA(root_.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

bool WriteVolumeLabel(const std::string& folder, const std::u8string& utf8Label) {
  const std::string path = folder + "\\.windows-label";
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL done = WriteFile(file, utf8Label.data(), static_cast<DWORD>(utf8Label.size()), &written, nullptr);
  CloseHandle(file);
  return done && written == utf8Label.size();
}

MemoryPicture::MemoryPicture(HWND window, int width, int height) : width(width), height(height) {
  const HDC screen = GetDC(window);
  dc = CreateCompatibleDC(screen);
  bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(window, screen);
  previous = SelectObject(dc, bitmap);
}

MemoryPicture::~MemoryPicture() {
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

std::vector<COLORREF> MemoryPicture::Pixels() const {
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  return pixels;
}

std::vector<COLORREF> CapturePixels(HWND window, const RECT& rect) {
  UpdateWindow(window);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  return RenderPixels(window, width, height, [&](HDC dc) {
    const HDC screen = GetDC(window);
    BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ReleaseDC(window, screen);
  });
}

bool SetAttributes(const std::string& path, DWORD attributes) {
  return SetFileAttributesA(path.c_str(), attributes) && (GetFileAttributesA(path.c_str()) & attributes) == attributes;
}

bool MakeFile(const std::string& path, DWORD attributes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return attributes == 0 || SetAttributes(path, attributes);
}

bool MakeDirectory(const std::string& path, DWORD attributes) {
  return CreateDirectoryA(path.c_str(), nullptr) && (attributes == 0 || SetAttributes(path, attributes));
}

DWORD RefusalCode(const std::string& path) {
  char before[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof before, before);
  if (SetCurrentDirectoryA(path.c_str())) {
    SetCurrentDirectoryA(before);
    return 0;
  }
  return GetLastError();
}

std::string ResolvedDirectory(const std::string& path) {
  char before[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof before, before);
  if (!SetCurrentDirectoryA(path.c_str())) return {};
  char resolved[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof resolved, resolved);
  SetCurrentDirectoryA(before);
  return resolved;
}

VolumeQuestions::VolumeQuestions(std::optional<DWORD> flags) : system_(VolumeInformationSource) {
  VolumeInformationSource = [this, flags](const char* root, char* name, DWORD nameSize, DWORD* found) {
    modes.push_back(GetErrorMode());
    if (flags && found && !name) {
      *found = *flags;
      return TRUE;
    }
    return system_(root, name, nameSize, found);
  };
}

VolumeQuestions::~VolumeQuestions() { VolumeInformationSource = system_; }

BrowseDialogDriver* BrowseDialogDriver::current_ = nullptr;

BrowseDialogDriver::BrowseDialogDriver(std::function<void(HWND)> answer) : answer_(std::move(answer)) {
  current_ = this;
  timer_ = SetTimer(nullptr, 0, kTickMilliseconds, &Tick);
}

BrowseDialogDriver::~BrowseDialogDriver() {
  KillTimer(nullptr, timer_);
  current_ = nullptr;
}

void CALLBACK BrowseDialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current_) current_->OnTick();
}

void BrowseDialogDriver::OnTick() {
  const HWND dialog = BrowseDialogOfThisThread();
  if (!dialog) return;
  if (!answered_) {
    answered_ = true;
    answer_(dialog);
    return;
  }
  if (++ticksSinceAnswer_ * kTickMilliseconds >= 5000) {
    ADD_FAILURE() << "the answer left the dialog open";
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}
