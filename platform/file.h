#pragma once
// The file operations the decryption needs, with one meaning on Windows and POSIX.
// Windows: the ANSI entry points (paths in the system's code page). POSIX: byte paths.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/system_error.h"

namespace platform {

// Other: a FIFO, device, socket or anything else that is neither a regular file nor a folder.
enum class PathKind { Missing, File, Directory, Other };

// What the path names now, from one attribute query: GetFileAttributesA / stat. Errors other
// than "not there" count as Missing, as the attribute query failing does, and so does an empty
// path. On Windows whatever is not a folder is a File.
PathKind QueryPathKind(const std::string& path);

// Size of the first directory entry a search for path yields, any attributes
// (FindFirstFileA with wildcards on Windows, stat on POSIX); nullopt when nothing is found.
std::optional<uint64_t> FindFirstEntrySize(const std::string& path);

// Identifies a file whatever name reaches it: volume serial and file index on Windows,
// device and inode on POSIX.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// A key that two names in one folder share exactly when they name one file: POSIX takes the
// bytes as they are; Windows compares without regard to case by the system's upper-case table,
// which folds far more than the ASCII letters (full-width Latin, Greek, Cyrillic).
std::string NameComparisonKey(const std::string& name);

// What every write to a file changes: its size or its last write time (nanoseconds on POSIX,
// the file time's 100-nanosecond units on Windows). A file rewritten in place to the same size
// differs from what it was in the time alone.
struct FileVersion {
  uint64_t size = 0;
  uint64_t lastWrite = 0;
  friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

template <typename T>
struct Result {
  std::optional<T> value;
  SystemError error = 0;
  explicit operator bool() const { return value.has_value(); }
};

// An open file, closed when the object goes away. Move-only.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens an existing file for reading, shared with nobody: share mode 0 on Windows; an
  // exclusive non-blocking flock on POSIX, so two decoders never work on one file.
  static Result<File> OpenExclusiveForReading(const std::string& path);
  // Creates a file that must not exist yet, for writing, shared with nobody.
  static Result<File> CreateExclusiveNew(const std::string& path);
  // The process's standard output, not closed by this object.
  static File StandardOutput();

  bool IsOpen() const;
  // Reads until buffer is full or the end of the file; returns the count read.
  Result<size_t> Read(std::span<uint8_t> buffer);
  // Writes every byte or reports why not; a short write is an error.
  SystemError WriteAll(std::span<const uint8_t> data);
  // The same at a position, leaving the file position alone, so that several threads can
  // each work on their own part of one file: pread / pwrite, ReadFile / WriteFile at an offset.
  Result<size_t> ReadAt(uint64_t offset, std::span<uint8_t> buffer);
  SystemError WriteAllAt(uint64_t offset, std::span<const uint8_t> data);
  // Forces written data to the disk (FlushFileBuffers / fsync).
  SystemError Flush();
  std::optional<FileIdentity> Identity() const;
  // The open file's size and last write time now, whatever its name has come to mean since
  // it was opened.
  Result<FileVersion> Version() const;
  // Deletes the file this object holds open from path, its name, before letting it go, so
  // that no other program can open it in between. POSIX unlinks path once it still names
  // this file; Windows marks the handle for deletion, or deletes by name after closing
  // when the file was opened without the right to delete it. The file is closed after.
  SystemError DeleteWhileOpen(const std::string& path);
  // Closes now and reports the close's own error; the destructor closes silently.
  SystemError Close();

 private:
  friend class HeldOutput;
#ifdef _WIN32
  explicit File(void* handle, bool owned) : handle_(handle), owned_(owned) {}
  void* handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
  bool deleteAccess_ = false;
#else
  explicit File(int descriptor, bool owned) : descriptor_(descriptor), owned_(owned) {}
  int descriptor_ = -1;
#endif
  bool owned_ = true;
};

SystemError DeleteFilePath(const std::string& path);

// Whether error says the file or a folder of its path is not there.
bool IsNotFoundError(SystemError error);

// Whether error says a file or folder already has the name that a creation or a move without
// replacing asked for (Windows has two codes for it).
bool IsNameTakenError(SystemError error);

// Gives the file at from the name to, durably (write-through on Windows). With
// replaceExisting false an existing to is left alone and the move fails.
SystemError MoveFilePath(const std::string& from, const std::string& to, bool replaceExisting);

// Makes the folder's entries durable (fsync of the directory on POSIX; Windows' write-through
// move already did it). folder "" is the current directory.
SystemError SyncFolder(const std::string& folder);

}  // namespace platform
