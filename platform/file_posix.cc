#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/posix_calls.h"
#include "platform/transfer_loops.h"

namespace platform {
namespace {

SystemError LastError() { return LastPosixError(); }

// One read or write, retried when a signal interrupted it.
template <typename Call>
CallOutcome Transfer(Call call) {
  const ssize_t count = RetryOnInterrupt(call);
  if (count < 0) return {0, LastError()};
  return {static_cast<size_t>(count), 0};
}

// Linux moves at most this much in one call anyway.
constexpr size_t kLargestCall = 0x7FFFF000;

}  // namespace

PathKind QueryPathKind(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return PathKind::Missing;
  if (S_ISDIR(status.st_mode)) return PathKind::Directory;
  return S_ISREG(status.st_mode) ? PathKind::File : PathKind::Other;
}

std::optional<uint64_t> FindFirstEntrySize(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

std::string NameComparisonKey(const std::string& name) { return name; }

File::File(File&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), owned_(other.owned_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    descriptor_ = std::exchange(other.descriptor_, -1);
    owned_ = other.owned_;
  }
  return *this;
}

File::~File() { Close(); }

Result<File> File::OpenExclusiveForReading(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Open)) return {std::nullopt, injected.error};
  // Non-blocking: a FIFO that took the name since it was looked at must not hang the open;
  // a regular file reads the same either way.
  File file(RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }),
            true);
  if (!file.IsOpen()) return {std::nullopt, LastError()};
  // Another decoder working on the same input holds this lock: the file is busy, as
  // share mode 0 makes it on Windows.
  if (RetryOnInterrupt([&] { return flock(file.descriptor_, LOCK_EX | LOCK_NB); }) != 0) {
    return {std::nullopt, LastError()};
  }
  struct stat status {};
  if (fstat(file.descriptor_, &status) != 0) return {std::nullopt, LastError()};
  if (S_ISDIR(status.st_mode)) return {std::nullopt, static_cast<SystemError>(EISDIR)};
  if (!S_ISREG(status.st_mode)) return {std::nullopt, static_cast<SystemError>(EINVAL)};
  return {std::move(file), 0};
}

Result<File> File::CreateExclusiveNew(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Create)) {
    return {std::nullopt, injected.error};
  }
  File file(RetryOnInterrupt([&] {
              return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            }),
            true);
  if (!file.IsOpen()) return {std::nullopt, LastError()};
  if (RetryOnInterrupt([&] { return flock(file.descriptor_, LOCK_EX | LOCK_NB); }) != 0) {
    return {std::nullopt, LastError()};
  }
  return {std::move(file), 0};
}

File File::StandardOutput() { return File(STDOUT_FILENO, false); }

bool File::IsOpen() const { return descriptor_ >= 0; }

Result<size_t> File::Read(std::span<uint8_t> buffer) {
  return ReadFully(buffer, kLargestCall, [&](uint8_t* data, size_t count, size_t) {
    return Transfer([&] { return read(descriptor_, data, count); });
  });
}

Result<size_t> File::ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
  return ReadFully(buffer, kLargestCall, [&](uint8_t* data, size_t count, size_t done) {
    return Transfer([&] { return pread(descriptor_, data, count, static_cast<off_t>(offset + done)); });
  });
}

SystemError File::WriteAll(std::span<const uint8_t> data) {
  // Standard output may be a pipe that nobody reads any more: an interruption must end the wait.
  return WriteFully(data, kLargestCall, ENOSPC, [&](const uint8_t* bytes, size_t count, size_t) {
    const ssize_t written = WriteUnlessInterrupted(descriptor_, bytes, count);
    return written < 0 ? CallOutcome{0, LastError()} : CallOutcome{static_cast<size_t>(written), 0};
  });
}

SystemError File::WriteAllAt(uint64_t offset, std::span<const uint8_t> data) {
  return WriteFully(data, kLargestCall, ENOSPC,
                    [&](const uint8_t* bytes, size_t count, size_t done) {
                      return Transfer([&] {
                        return pwrite(descriptor_, bytes, count, static_cast<off_t>(offset + done));
                      });
                    });
}

SystemError File::Flush() {
  if (const auto injected = fault::Take(fault::Operation::Flush)) return injected.error;
  return RetryOnInterrupt([&] { return fsync(descriptor_); }) == 0 ? 0 : LastError();
}

std::optional<FileIdentity> File::Identity() const {
  struct stat status {};
  if (fstat(descriptor_, &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

Result<FileVersion> File::Version() const {
  struct stat status {};
  if (fstat(descriptor_, &status) != 0) return {std::nullopt, LastError()};
  const auto lastWrite = static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                         static_cast<uint64_t>(status.st_mtim.tv_nsec);
  return {FileVersion{static_cast<uint64_t>(status.st_size), lastWrite}, 0};
}

SystemError File::DeleteWhileOpen(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Delete)) {
    Close();
    return injected.error;
  }
  // Held open and locked, the file cannot be taken by another decoder, but its name could
  // have been given to another file meanwhile: that one is not ours to delete.
  const auto named = IdentityOfPath(path);
  const auto held = Identity();
  SystemError error = 0;
  if (named && (!held || *named != *held)) {
    error = static_cast<SystemError>(ENOENT);
  } else if (!named || unlink(path.c_str()) != 0) {
    error = LastError();
  }
  Close();
  return error;
}

SystemError File::Close() {
  const int descriptor = std::exchange(descriptor_, -1);
  if (descriptor < 0 || !owned_) return 0;
  const auto injected = fault::Take(fault::Operation::Close);
  // close() is not retried on EINTR: on Linux the descriptor is already released.
  const SystemError error = close(descriptor) == 0 ? 0 : LastError();
  return injected ? injected.error : error;
}

bool IsNotFoundError(SystemError error) { return error == ENOENT || error == ENOTDIR; }

bool IsNameTakenError(SystemError error) { return error == EEXIST; }

SystemError DeleteFilePath(const std::string& path) {
  if (const auto injected = fault::Take(fault::Operation::Delete)) return injected.error;
  return unlink(path.c_str()) == 0 ? 0 : LastError();
}

SystemError MoveFilePath(const std::string& from, const std::string& to, bool replaceExisting) {
  if (const auto injected = fault::Take(fault::Operation::Move)) return injected.error;
  if (replaceExisting) return rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
  // link() fails with EEXIST instead of replacing, which rename() cannot be told to do
  // portably; the temporary name is dropped once the final one exists.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return 0;
  }
  const SystemError linkError = LastError();
  if (linkError == EEXIST) return linkError;
  // File systems without hard links (FAT, some network shares): check, then rename.
  if (linkError == EPERM || linkError == ENOTSUP || linkError == ENOSYS) {
    if (access(to.c_str(), F_OK) == 0) return static_cast<SystemError>(EEXIST);
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError();
  }
  return linkError;
}

SystemError SyncFolder(const std::string& folder) {
  const std::string path = folder.empty() ? "." : folder;
  const int descriptor =
      RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (descriptor < 0) return LastError();
  SystemError error = RetryOnInterrupt([&] { return fsync(descriptor); }) == 0 ? 0 : LastError();
  // Some file systems cannot sync a directory; their entries are as durable as they get.
  if (error == EINVAL || error == ENOTSUP) error = 0;
  close(descriptor);
  return error;
}

}  // namespace platform
