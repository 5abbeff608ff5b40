#pragma once
// Owners of the kernel's handles for the Win32 files of the program (see unique_handle.h).

#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace platform {

// Closed by CloseHandle; null and INVALID_HANDLE_VALUE both mean none.
struct KernelHandleCloser {
  static bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<HANDLE, KernelHandleCloser>;

// Closed by FindClose; a search that found nothing gives INVALID_HANDLE_VALUE.
struct FindHandleCloser {
  static bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE; }
  void operator()(HANDLE handle) const { FindClose(handle); }
};

// A directory search (FindFirstFileA / FindNextFileA). Entry() is the entry found last.
class FileSearch {
 public:
  explicit FileSearch(const std::string& pattern) : handle_(FindFirstFileA(pattern.c_str(), &entry_)) {}
  // Whether the first search found an entry.
  bool Found() const { return static_cast<bool>(handle_); }
  const WIN32_FIND_DATAA& Entry() const { return entry_; }
  // Moves to the next entry; false when there is none.
  bool Next() { return FindNextFileA(handle_.Get(), &entry_) != FALSE; }

 private:
  WIN32_FIND_DATAA entry_{};
  UniqueHandle<HANDLE, FindHandleCloser> handle_;
};

}  // namespace platform
