#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/held_output.h"
#include "platform/path_text.h"
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

// How a name is given through a handle: the file's name changed, or a further name (a hard
// link) added. Both take the same structure.
enum class Naming { Rename = 10 /* FileRenameInformation */, Link = 11 /* FileLinkInformation */ };

// Gives the file of handle the name path. Through ntdll, which every process has loaded: the
// Win32 SetFileInformationByHandle passes the name on untranslated on some Windows versions
// and as a DOS path on others, while the native call means the same everywhere.
SystemError NameThroughHandle(HANDLE handle, const std::string& path, bool replaceExisting,
                              Naming naming) {
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
                                     static_cast<FILE_INFORMATION_CLASS>(naming));
  return result >= 0 ? 0 : static_cast<SystemError>(toWin32Error(result));
}

bool LinksUnsupported(SystemError error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_INVALID_PARAMETER;
}

}  // namespace

// A new file under a temporary name beside finalPath, no longer than its name, shared with
// nobody (the shell, a scanner or an indexer cannot open it while it is written); flags are
// added to its attributes.
Result<File> HeldOutput::CreateBeside(const std::string& finalPath, unsigned long flags,
                                      std::string& path) {
  const size_t nameStart = FileNameStart(finalPath);
  const std::string_view finalName = std::string_view(finalPath).substr(nameStart);
  SystemError error = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        finalPath.substr(0, nameStart) + TemporaryNameFor(finalName, RandomForTemporaryName());
    File file(CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL | flags, nullptr),
              true);
    if (file.IsOpen()) {
      path = std::move(candidate);
      return {std::move(file), 0};
    }
    error = LastError();
    if (!IsNameTakenError(error)) break;
  }
  return {std::nullopt, error};
}

Result<HeldOutput> HeldOutput::Create(const std::string& finalPath, const File&) {
  if (const auto injected = fault::Take(fault::Operation::Create)) {
    return {std::nullopt, injected.error};
  }
  HeldOutput output;
  output.finalPath_ = finalPath;
  // Deleted when its handle closes, however the process ends: the flag is part of the
  // creation, so there is no moment at which a killed run could leave the file. The output
  // gets its final name as a second name (a hard link) that outlives the closing.
  auto created = CreateBeside(finalPath, FILE_FLAG_DELETE_ON_CLOSE, output.temporaryPath_);
  if (!created) return {std::nullopt, created.error};
  output.file_ = std::move(*created.value);
  if (const auto injected = fault::Take(fault::Operation::Guard)) {
    return {std::nullopt, injected.error};
  }
  return {std::move(output), 0};
}

SystemError HeldOutput::ProbeFolder(const std::string& folder) {
  std::string path;
  // Created to be deleted when its handle closes, which it does here at once.
  return CreateBeside(PathInFolder(folder, kProbeName), FILE_FLAG_DELETE_ON_CLOSE, path).error;
}

// Gives a copy of source (whole and flushed) the name finalPath, for file systems without hard
// links (FAT): the copy is created under a temporary name and marked delete-pending at once;
// the mark is off only for the rename through its handle and back at once when the rename is
// refused. A run ended in the moment between creation and mark, or between clearing the mark
// and the rename, can leave the copy there: the one gap, on such file systems only.
SystemError HeldOutput::CommitCopy(File& source, const std::string& finalPath, bool sync,
                                   bool replaceExisting) {
  std::string path;
  auto created = CreateBeside(finalPath, 0, path);
  if (!created) return created.error;
  File& copy = *created.value;
  if (const SystemError error = SetDeletePending(copy.handle_, true)) {
    copy.Close();
    DeleteFileA(path.c_str());
    return error;
  }
  std::vector<uint8_t> buffer(256 * 1024);
  for (uint64_t offset = 0;;) {
    auto read = source.ReadAt(offset, buffer);
    if (!read) return read.error;
    if (*read.value == 0) break;
    if (const SystemError error = copy.WriteAllAt(offset, std::span(buffer.data(), *read.value))) {
      return error;
    }
    offset += *read.value;
  }
  if (sync) {
    if (const SystemError error = copy.Flush()) return error;
  }
  return RetryWhileHeld(finalPath, [&]() -> SystemError {
    if (const SystemError cleared = SetDeletePending(copy.handle_, false)) return cleared;
    const SystemError renamed = NameThroughHandle(copy.handle_, finalPath, replaceExisting, Naming::Rename);
    if (renamed != 0) SetDeletePending(copy.handle_, true);
    return renamed;
  });
}

SystemError HeldOutput::Commit(bool sync, bool replaceExisting) {
  const HANDLE handle = file_.handle_;
  if (sync) {
    if (const SystemError error = file_.Flush()) return error;
  }
  // Windows refuses to replace a read-only file; Wine's link() and rename() would not.
  const DWORD older =
      replaceExisting ? GetFileAttributesA(finalPath_.c_str()) : INVALID_FILE_ATTRIBUTES;
  if (older != INVALID_FILE_ATTRIBUTES && (older & FILE_ATTRIBUTE_READONLY) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  // The final name is added in one call and replaces an older output in the same call; the
  // temporary name goes when the handle closes. A run ended at any moment leaves the old state
  // or the new one. Retried while another program holds the older output for a moment.
  const SystemError error = RetryWhileHeld(finalPath_, [&]() -> SystemError {
    if (const auto injected = fault::Take(fault::Operation::Move)) return injected.error;
    return NameThroughHandle(handle, finalPath_, replaceExisting, Naming::Link);
  });
  if (error != 0) {
    // Wine adds the name with link(), having first removed an older output that it replaces,
    // and reports a file system without hard links (FAT, many FUSE and shared folders) as
    // access denied. Access denied with no file under the final name is not an older output
    // held or read-only: the copy is named in its place.
    const bool denied =
        error == ERROR_ACCESS_DENIED && QueryPathKind(finalPath_) == PathKind::Missing;
    if (!LinksUnsupported(error) && !denied) return error;
    if (const SystemError copied = CommitCopy(file_, finalPath_, sync, replaceExisting)) {
      return copied;
    }
  }
  temporaryPath_.clear();
  // The data was flushed before the name was given; this flush makes the name durable too.
  // What it or the close could still report changes nothing of a whole, named file.
  if (sync) FlushFileBuffers(handle);
  file_.Close();
  return 0;
}

void HeldOutput::Discard() {
  // Created to be deleted on its closing: closing is all it takes.
  file_.Close();
  temporaryPath_.clear();
}

}  // namespace platform
