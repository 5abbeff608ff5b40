#pragma once
// Owners of the kernel's handles for the Win32 files of the program: each closes what it
// holds exactly once, on every way out. Copying is deleted.

#include <windows.h>

#include <string>

namespace platform {

// A handle closed by CloseHandle; null and INVALID_HANDLE_VALUE both mean none.
class KernelHandle {
 public:
  explicit KernelHandle(HANDLE handle) : handle_(handle) {}
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() {
    if (IsValid()) CloseHandle(handle_);
  }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A directory search (FindFirstFileA / FindNextFileA), closed by FindClose. Entry() is the
// entry found last.
class FileSearch {
 public:
  explicit FileSearch(const std::string& pattern)
      : handle_(FindFirstFileA(pattern.c_str(), &entry_)) {}
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;
  ~FileSearch() {
    if (Found()) FindClose(handle_);
  }
  // Whether the first search found an entry.
  bool Found() const { return handle_ != INVALID_HANDLE_VALUE; }
  const WIN32_FIND_DATAA& Entry() const { return entry_; }
  // Moves to the next entry; false when there is none.
  bool Next() { return FindNextFileA(handle_, &entry_) != FALSE; }

 private:
  WIN32_FIND_DATAA entry_{};
  HANDLE handle_;
};

}  // namespace platform
