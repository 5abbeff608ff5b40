#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/retry_win.h"
#include "platform/transfer_loops.h"
#include "platform/win_handles.h"

namespace platform {
namespace {

SystemError LastError() { return static_cast<SystemError>(GetLastError()); }

// One system call moves at most this much.
constexpr size_t kLargestCall = size_t{1} << 30;

// An OVERLAPPED that makes a call on a synchronous handle work at offset.
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

// What a ReadFile call did. A pipe whose writer has gone, or a positioned read past the end,
// is the end of the input, not a failure.
CallOutcome Transferred(BOOL succeeded, DWORD count) {
  if (succeeded) return {count, 0};
  const SystemError error = LastError();
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return {0, 0};
  return {0, error};
}

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

PathKind QueryPathKind(const std::string& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

std::optional<uint64_t> FindFirstEntrySize(const std::string& path) {
  // FindFirstFileA yields entries of every attribute (read-only, hidden, system,
  // directory, archive), as the size test wants.
  const FileSearch search(path);
  if (!search.Found()) return std::nullopt;
  const WIN32_FIND_DATAA& entry = search.Entry();
  return (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  // Most paths asked about are outputs not made yet: an attribute query answers those without
  // the open, which costs far more (a round trip to the server under Wine).
  if (QueryPathKind(path) == PathKind::Missing) return std::nullopt;
  // No data access is asked for, so this open never collides with a share mode 0 handle.
  const KernelHandle handle(CreateFileA(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return std::nullopt;
  return IdentityFrom(info);
}

std::string NameComparisonKey(const std::string& name) {
  const int size = static_cast<int>(name.size());
  const int count = MultiByteToWideChar(CP_ACP, 0, name.data(), size, nullptr, 0);
  if (count <= 0) return name;
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), size, wide.data(), count);
  // Upper-casing keeps the length, one unit for one unit.
  std::wstring upper(wide.size(), L'\0');
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), count, upper.data(), count) != count) {
    return name;
  }
  // A key only, never a name: the UTF-16 units' bytes as they lie in memory.
  return std::string(reinterpret_cast<const char*>(upper.data()), upper.size() * sizeof(wchar_t));
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)),
      deleteAccess_(other.deleteAccess_),
      owned_(other.owned_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    deleteAccess_ = other.deleteAccess_;
    owned_ = other.owned_;
  }
  return *this;
}

File::~File() { Close(); }

Result<File> File::OpenExclusiveForReading(const std::string& path) {
  File opened;
  // A scanner or the shell looking at the file refuses the open for a moment.
  const SystemError error = RetryWhileHeld(path, [&]() -> SystemError {
    if (const auto injected = fault::Take(fault::Operation::Open)) return injected.error;
    // With the right to delete, the input can be deleted before its handle lets go of it.
    // Where that right is refused (some shares, some permissions), reading is still allowed
    // and the deletion goes by name after the close.
    for (const DWORD access : {DWORD{GENERIC_READ | DELETE}, DWORD{GENERIC_READ}}) {
      File file(CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                true);
      if (file.IsOpen()) {
        file.deleteAccess_ = (access & DELETE) != 0;
        opened = std::move(file);
        return 0;
      }
      if (GetLastError() != ERROR_ACCESS_DENIED) break;
    }
    return LastError();
  });
  if (error != 0) return {std::nullopt, error};
  return {std::move(opened), 0};
}

Result<File> File::CreateExclusiveNew(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Create)) {
    return {std::nullopt, injected.error};
  }
  File file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            true);
  if (!file.IsOpen()) return {std::nullopt, LastError()};
  return {std::move(file), 0};
}

File File::StandardOutput() {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  return File(handle == nullptr ? INVALID_HANDLE_VALUE : handle, false);
}

bool File::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

Result<size_t> File::Read(std::span<uint8_t> buffer) {
  return ReadFully(buffer, kLargestCall, [&](uint8_t* data, size_t count, size_t) {
    DWORD read = 0;
    const BOOL succeeded = ReadFile(handle_, data, static_cast<DWORD>(count), &read, nullptr);
    return Transferred(succeeded, read);
  });
}

Result<size_t> File::ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
  return ReadFully(buffer, kLargestCall, [&](uint8_t* data, size_t count, size_t done) {
    OVERLAPPED position = At(offset + done);
    DWORD read = 0;
    const BOOL succeeded = ReadFile(handle_, data, static_cast<DWORD>(count), &read, &position);
    return Transferred(succeeded, read);
  });
}

SystemError File::WriteAll(std::span<const uint8_t> data) {
  return WriteFully(data, kLargestCall, ERROR_DISK_FULL,
                    [&](const uint8_t* bytes, size_t count, size_t) {
                      DWORD written = 0;
                      const BOOL succeeded =
                          WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr);
                      return succeeded ? CallOutcome{written, 0} : CallOutcome{0, LastError()};
                    });
}

SystemError File::WriteAllAt(uint64_t offset, std::span<const uint8_t> data) {
  return WriteFully(data, kLargestCall, ERROR_DISK_FULL,
                    [&](const uint8_t* bytes, size_t count, size_t done) {
                      OVERLAPPED position = At(offset + done);
                      DWORD written = 0;
                      const BOOL succeeded =
                          WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, &position);
                      return succeeded ? CallOutcome{written, 0} : CallOutcome{0, LastError()};
                    });
}

SystemError File::Flush() {
  if (const auto injected = fault::Take(fault::Operation::Flush)) return injected.error;
  return FlushFileBuffers(handle_) ? 0 : LastError();
}

std::optional<FileIdentity> File::Identity() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle_, &info)) return std::nullopt;
  return IdentityFrom(info);
}

Result<FileVersion> File::Version() const {
  // Size and time alone: GetFileInformationByHandle would ask for the volume's serial number
  // as well, which is a round trip to the mount manager under Wine, twice for every file.
  LARGE_INTEGER size{};
  FILETIME lastWrite{};
  if (!GetFileSizeEx(handle_, &size) || !GetFileTime(handle_, nullptr, nullptr, &lastWrite)) {
    return {std::nullopt, LastError()};
  }
  return {FileVersion{static_cast<uint64_t>(size.QuadPart),
                      (static_cast<uint64_t>(lastWrite.dwHighDateTime) << 32) |
                          lastWrite.dwLowDateTime},
          0};
}

SystemError File::DeleteWhileOpen(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Delete)) {
    Close();
    return injected.error;
  }
  if (!deleteAccess_) {
    Close();
    // Closed, the input is open to others again: the shell or a scanner may hold it a moment.
    return RetryWhileHeld(path, [&] { return DeleteFileA(path.c_str()) ? 0 : LastError(); });
  }
  // The file goes when this, its only handle, is closed.
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  const SystemError error =
      SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition, sizeof disposition)
          ? 0
          : LastError();
  const SystemError closeError = Close();
  return error != 0 ? error : closeError;
}

SystemError File::Close() {
  const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
  if (handle == INVALID_HANDLE_VALUE || !owned_) return 0;
  const auto injected = fault::Take(fault::Operation::Close);
  const SystemError error = CloseHandle(handle) ? 0 : LastError();
  return injected ? injected.error : error;
}

bool IsNotFoundError(SystemError error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool IsNameTakenError(SystemError error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

SystemError DeleteFilePath(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Delete)) return injected.error;
  return DeleteFileA(path.c_str()) ? 0 : LastError();
}

SystemError MoveFilePath(const std::string& from, const std::string& to, bool replaceExisting) {
  if (const auto injected = fault::Take(fault::Operation::Move)) return injected.error;
  // Write-through: the call returns once the new name is on the disk, so the input may go.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExA(from.c_str(), to.c_str(), flags) ? 0 : LastError();
}

SystemError SyncFolder(const std::string&) { return 0; }

}  // namespace platform
