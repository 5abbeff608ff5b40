#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/held_output.h"
#include "platform/retry_win.h"

namespace platform {
namespace {

SystemError LastError() { return static_cast<SystemError>(GetLastError()); }

SystemError SetDeletePending(HANDLE handle, bool pending) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = pending ? TRUE : FALSE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)
             ? 0
             : LastError();
}

// path as the native API spells it: "\??\" before the full path, "\??\UNC\" before a share.
std::optional<std::wstring> NativePathOf(const std::string& path) {
  const int wide = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring given(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, given.data(), wide);
  const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return std::nullopt;
  full.resize(length);
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) {
    return L"\\??\\" + full.substr(4);
  }
  if (full.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + full.substr(2);
  return L"\\??\\" + full;
}

// A function of ntdll, which every process has loaded; null if it has none of that name.
template <typename Function>
Function NtdllFunction(const char* name) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  // Through the generic function pointer type, which any function pointer may be cast from.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, name)));
}

// Renames the file of handle to path. Through ntdll, which every process has loaded: the
// Win32 SetFileInformationByHandle passes the name on untranslated on some Windows versions
// and as a DOS path on others, while the native call means the same everywhere.
SystemError RenameThroughHandle(HANDLE handle, const std::string& path, bool replaceExisting) {
  using SetInformation = LONG(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG, FILE_INFORMATION_CLASS);
  using ToWin32Error = ULONG(NTAPI*)(LONG);
  const auto setInformation = NtdllFunction<SetInformation>("NtSetInformationFile");
  const auto toWin32Error = NtdllFunction<ToWin32Error>("RtlNtStatusToDosError");
  if (setInformation == nullptr || toWin32Error == nullptr) return LastError();

  const std::optional<std::wstring> native = NativePathOf(path);
  if (!native) return LastError();
  const size_t nameBytes = native->size() * sizeof(wchar_t);
  std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFORMATION, FileName) + nameBytes +
                                sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  rename->ReplaceIfExists = replaceExisting ? TRUE : FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<ULONG>(nameBytes);
  std::memcpy(rename->FileName, native->data(), nameBytes);
  IO_STATUS_BLOCK status{};
  const LONG result = setInformation(handle, &status, rename, static_cast<ULONG>(buffer.size()),
                                     FileRenameInformation);
  return result >= 0 ? 0 : static_cast<SystemError>(toWin32Error(result));
}

}  // namespace

Result<HeldOutput> HeldOutput::Create(const std::string& finalPath, const File&) {
  if (const auto injected = fault::Take(fault::Operation::Create)) {
    return {std::nullopt, injected.error};
  }
  const size_t nameStart = FileNameStart(finalPath);
  const std::string_view finalName = std::string_view(finalPath).substr(nameStart);
  HeldOutput output;
  output.finalPath_ = finalPath;
  SystemError error = 0;
  for (int attempt = 0; attempt < 100 && !output.file_.IsOpen(); ++attempt) {
    std::string candidate =
        finalPath.substr(0, nameStart) + TemporaryNameFor(finalName, RandomForTemporaryName());
    // Share mode 0: the shell, a scanner or an indexer cannot open it while it is written.
    File file(CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
              true);
    if (file.IsOpen()) {
      output.file_ = std::move(file);
      output.temporaryPath_ = std::move(candidate);
      break;
    }
    error = LastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return {std::nullopt, error};
  }
  if (!output.file_.IsOpen()) return {std::nullopt, error};
  // Marked at once: from here on, however the process ends, the system removes the file.
  const auto injected = fault::Take(fault::Operation::Guard);
  const SystemError marked = injected ? injected.error : SetDeletePending(output.file_.handle_, true);
  if (marked != 0) return {std::nullopt, marked};
  return {std::move(output), 0};
}

SystemError HeldOutput::Commit(bool sync, bool replaceExisting) {
  const HANDLE handle = file_.handle_;
  if (sync) {
    if (const SystemError error = file_.Flush()) return error;
  }
  if (const auto injected = fault::Take(fault::Operation::Move)) return injected.error;
  // The mark is off only for the rename itself and back at once when the rename is refused,
  // so that a process ended while it waits for another program to let go of an older output
  // still leaves nothing behind.
  const SystemError error = RetryWhileHeld(finalPath_, [&]() -> SystemError {
    if (const SystemError cleared = SetDeletePending(handle, false)) return cleared;
    const SystemError renamed = RenameThroughHandle(handle, finalPath_, replaceExisting);
    if (renamed != 0) SetDeletePending(handle, true);
    return renamed;
  });
  if (error != 0) return error;
  temporaryPath_.clear();
  // The data was flushed before the rename; this flush makes the new name durable too. What
  // it or the close could still report changes nothing of a whole, named file.
  if (sync) FlushFileBuffers(handle);
  file_.Close();
  return 0;
}

void HeldOutput::Discard() {
  if (temporaryPath_.empty()) return;
  // Marked again in case a failed rename could not put the mark back; without a mark the
  // file must go by name once closed.
  const bool marked = file_.IsOpen() && SetDeletePending(file_.handle_, true) == 0;
  file_.Close();
  if (!marked) DeleteFileA(temporaryPath_.c_str());
  temporaryPath_.clear();
}

}  // namespace platform
