#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/file.h"
#include "platform/win_handles.h"

namespace platform {
namespace {

SystemError LastError() { return static_cast<SystemError>(GetLastError()); }


FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

PathKind QueryPathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
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
  // No data access is asked for, so this open never collides with a share mode 0 handle.
  const KernelHandle handle(CreateFileA(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.IsValid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.Get(), &info)) return std::nullopt;
  return IdentityFrom(info);
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)), owned_(other.owned_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    owned_ = other.owned_;
  }
  return *this;
}

File::~File() { Close(); }

Result<File> File::OpenExclusiveForReading(const std::string& path) {
  File file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
            true);
  if (!file.IsOpen()) return {std::nullopt, LastError()};
  return {std::move(file), 0};
}

Result<File> File::CreateExclusiveNew(const std::string& path) {
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
  size_t total = 0;
  while (total < buffer.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(buffer.size() - total, 1u << 30));
    DWORD count = 0;
    if (!ReadFile(handle_, buffer.data() + total, wanted, &count, nullptr)) {
      const SystemError error = LastError();
      // A pipe whose writer has gone is the end of the input, not a failure.
      if (error == ERROR_BROKEN_PIPE) break;
      return {std::nullopt, error};
    }
    if (count == 0) break;
    total += count;
  }
  return {total, 0};
}

SystemError File::WriteAll(std::span<const uint8_t> data) {
  size_t total = 0;
  while (total < data.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(data.size() - total, 1u << 30));
    DWORD count = 0;
    if (!WriteFile(handle_, data.data() + total, wanted, &count, nullptr)) return LastError();
    if (count == 0) return ERROR_DISK_FULL;
    total += count;
  }
  return 0;
}

SystemError File::Flush() { return FlushFileBuffers(handle_) ? 0 : LastError(); }

std::optional<FileIdentity> File::Identity() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle_, &info)) return std::nullopt;
  return IdentityFrom(info);
}

SystemError File::Close() {
  const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
  if (handle == INVALID_HANDLE_VALUE || !owned_) return 0;
  return CloseHandle(handle) ? 0 : LastError();
}

SystemError DeleteFilePath(const std::string& path) {
  return DeleteFileA(path.c_str()) ? 0 : LastError();
}

SystemError MoveFilePath(const std::string& from, const std::string& to, bool replaceExisting) {
  // Write-through: the call returns once the new name is on the disk, so the input may go.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExA(from.c_str(), to.c_str(), flags) ? 0 : LastError();
}

SystemError SyncFolder(const std::string&) { return 0; }

}  // namespace platform
