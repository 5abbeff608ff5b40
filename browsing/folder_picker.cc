#include "browsing/folder_picker.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "framework/application.h"
#include "framework/guard.h"
#include "framework/handles.h"
#include "framework/win_control.h"
#include "platform/file.h"

namespace {

// An item-ID list or buffer from the shell's allocator, freed through it.
using ItemIdList = AllocatedBlock<ITEMIDLIST>;

// The process's error mode with critical errors failed instead of asked about; the other
// flags of the mode are kept, and the whole mode is put back afterwards.
class ErrorModeSwitched {
 public:
  ErrorModeSwitched() : previous_(GetErrorMode()) { SetErrorMode(previous_ | SEM_FAILCRITICALERRORS); }
  ErrorModeSwitched(const ErrorModeSwitched&) = delete;
  ErrorModeSwitched& operator=(const ErrorModeSwitched&) = delete;
  ~ErrorModeSwitched() { SetErrorMode(previous_); }

 private:
  UINT previous_;
};

// Disables the thread's visible, enabled top-level windows and enables again those of
// them that still exist.
class ThreadWindowsDisabled {
 public:
  ThreadWindowsDisabled() {
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&disabled_));
  }
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
  ~ThreadWindowsDisabled() {
    for (const HWND window : disabled_) {
      if (IsWindow(window)) EnableWindow(window, TRUE);
    }
  }

 private:
  // A window is remembered before it is disabled, so none stays disabled for good when
  // remembering it fails; the enumeration then stops.
  static BOOL CALLBACK DisableWindow(HWND window, LPARAM data) {
    return Guarded<BOOL>(nullptr, FALSE, [window, data] {
      auto& disabled = *reinterpret_cast<std::vector<HWND>*>(data);
      if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        disabled.push_back(window);
        EnableWindow(window, FALSE);
      }
      return TRUE;
    });
  }

  std::vector<HWND> disabled_;
};

HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }

HWND OwnerWindow(TWinControl* parent) {
  if (parent && parent->HandleAllocated()) return parent->Handle();
  return ApplicationWindow();
}

// The item-ID list of root; none when root is empty or the shell cannot parse it, so the
// tree starts at the desktop.
ItemIdList ParseRoot(IMalloc& allocator, const std::wstring& root) {
  ItemIdList list;
  if (root.empty()) return list;
  ComPtr<IShellFolder> desktop;
  HRESULT hr = SHGetDesktopFolder(desktop.Put());
  if (SUCCEEDED(hr) && !desktop) hr = E_NOINTERFACE;
  if (SUCCEEDED(hr)) {
    std::wstring name(root);  // the parser takes the name as a writable buffer
    ITEMIDLIST* parsed = nullptr;
    hr = desktop->ParseDisplayName(ApplicationWindow(), nullptr, name.data(), nullptr, &parsed, nullptr);
    // A failing parser hands out no list; one that broke that rule would be leaked rather
    // than freed as garbage.
    if (SUCCEEDED(hr)) list = ItemIdList(parsed, AllocatorFreer(allocator));
  }
  return list;
}

// The modal browse, with the thread's other windows disabled and critical-error boxes
// suppressed until it returns.
ITEMIDLIST* RunBrowse(BROWSEINFOA& info) {
  const ThreadWindowsDisabled disabled;
  const ErrorModeSwitched quiet;
  return SHBrowseForFolderA(&info);
}

// The browse flags are spelt out in browse_options.h, where no shell header is at hand.
static_assert(kBrowseFileSystemFoldersOnly == BIF_RETURNONLYFSDIRS && kBrowseEditBox == BIF_EDITBOX &&
              kBrowseValidate == BIF_VALIDATE && kBrowseNewDialogStyle == BIF_NEWDIALOGSTYLE &&
              kBrowseNoNewFolderButton == BIF_NONEWFOLDERBUTTON && kBrowseIncludeFiles == BIF_BROWSEINCLUDEFILES &&
              kBrowseShareable == BIF_SHAREABLE);

}  // namespace

bool PickFolder(const std::string& caption, const std::wstring& root, std::string& folder,
                TBrowseOptions options, TWinControl* parent) {
  {
    // A drive without a medium must not bring up the system's critical-error box here
    // either.
    const ErrorModeSwitched quiet;
    if (platform::QueryPathKind(folder) != platform::PathKind::Directory) folder.clear();
  }

  bool picked = false;
  ComPtr<IMalloc> allocator;
  HRESULT hr = SHGetMalloc(allocator.Put());
  if (SUCCEEDED(hr) && !allocator) hr = E_NOINTERFACE;

  AllocatedBlock<char> buffer;
  if (SUCCEEDED(hr)) {
    buffer = AllocatedBlock<char>(static_cast<char*>(allocator->Alloc(MAX_PATH)), AllocatorFreer(*allocator.Get()));
    if (!buffer) hr = E_OUTOFMEMORY;
  }

  ItemIdList rootList;
  if (SUCCEEDED(hr)) rootList = ParseRoot(*allocator.Get(), root);

  if (SUCCEEDED(hr)) {
    TSelectDirCallback callback(folder);
    BROWSEINFOA info{};
    info.hwndOwner = OwnerWindow(parent);
    info.pidlRoot = rootList.Get();
    info.pszDisplayName = buffer.Get();
    info.lpszTitle = caption.c_str();
    info.ulFlags = BrowseFlags(options);
    info.lpfn = &SelectDirBrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&callback);

    std::optional<ComInitialization> apartment;
    if (options.Contains(boNewDialogStyle)) {
      apartment.emplace(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
      // The new style needs a single-threaded apartment; a thread in the other one gets
      // the style that works without it.
      if (apartment->Result() == RPC_E_CHANGED_MODE) info.ulFlags &= ~static_cast<UINT>(BIF_NEWDIALOGSTYLE);
    }

    // The path is taken while the apartment is still held, since the shell may need it to
    // resolve the item.
    const ItemIdList chosen(RunBrowse(info), AllocatorFreer(*allocator.Get()));
    if (chosen && SHGetPathFromIDListA(chosen.Get(), buffer.Get())) {
      folder.assign(buffer.Get(), strnlen(buffer.Get(), MAX_PATH));
      picked = true;
    }
  }
  return picked;
}

int TSelectDirCallback::HandleBrowseMessage(HWND dialog, UINT message, LPARAM value) {
  switch (message) {
    case BFFM_INITIALIZED: return OnInitialized(dialog);
    case BFFM_VALIDATEFAILEDA: return OnValidateFailed(dialog, reinterpret_cast<const char*>(value));
    default: return 0;
  }
}

int TSelectDirCallback::OnInitialized(HWND dialog) const {
  Center(dialog);
  if (!initialFolder_.empty()) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initialFolder_.c_str()));
  }
  return 0;
}

void TSelectDirCallback::Center(HWND dialog) const {
  HWND nearWindow = dialog;
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated()) {
    nearWindow = Application->MainForm()->Handle();
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT window{};
  if (!GetMonitorInfoA(MonitorFromWindow(nearWindow, MONITOR_DEFAULTTONEAREST), &monitor) ||
      !GetWindowRect(dialog, &window)) {
    return;
  }
  const POINT corner = CenteredOnMonitor(monitor.rcMonitor, window);
  SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TSelectDirCallback::OnValidateFailed(HWND dialog, const char* typed) const {
  const std::string text = InvalidPathMessage(typed ? typed : "");
  if (Application) {
    Application->ShowMessageBox(dialog, text, kErrorCaption, kErrorBoxFlags);
  } else {
    MessageBoxA(dialog, text.c_str(), kErrorCaption, kErrorBoxFlags);
  }
  return 1;
}

int CALLBACK SelectDirBrowseCallback(HWND dialog, UINT message, LPARAM value, LPARAM data) {
  auto* callback = reinterpret_cast<TSelectDirCallback*>(data);
  if (!callback) return 0;
  const int fallback = message == BFFM_VALIDATEFAILEDA ? 1 : 0;
  return Guarded<int>(callback, fallback,
                      [&] { return callback->HandleBrowseMessage(dialog, message, value); });
}

POINT CenteredOnMonitor(const RECT& monitor, const RECT& window) {
  const LONG monitorWidth = monitor.right - monitor.left;
  const LONG monitorHeight = monitor.bottom - monitor.top;
  const LONG windowWidth = window.right - window.left;
  const LONG windowHeight = window.bottom - window.top;
  // Integer division truncates toward zero, also for a window larger than the monitor.
  return {monitor.left + (monitorWidth - windowWidth) / 2, monitor.top + (monitorHeight - windowHeight) / 2};
}

std::string InvalidPathMessage(std::string_view typed) {
  const std::string_view format(kInvalidPathFormat);
  const std::size_t placeholder = format.find("%s");
  std::string text(format.substr(0, placeholder));
  text.append(typed).append(format.substr(placeholder + 2));
  return text;
}
