#pragma once
// A DLL that is not on the system's known-DLL list, loaded from the system folder only and
// only when it is first needed. Imported at load time, such a DLL would be looked for in the
// executable's own folder first, and a download folder can hold a DLL of any name.

#include <windows.h>

#include <string>

#include "framework/handles.h"

class SystemLibrary {
 public:
  // Loads name ("mpr.dll") from the system folder; Loaded() is false when that fails.
  explicit SystemLibrary(const char* name) : module_(LoadFromSystemFolder(name)) {}

  bool Loaded() const { return static_cast<bool>(module_); }

  // The library's function of that name, Function being its exact type (declare it with
  // decltype of the system header's declaration), or null when the library is not loaded or
  // has no such function. Valid while this object lives.
  template <typename Function>
  Function* Find(const char* name) const {
    if (!module_) return nullptr;
    // void (*)() is the one function type GCC lets FARPROC pass through without a warning.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module_.Get(), name)));
  }

 private:
  static HMODULE LoadFromSystemFolder(const char* name) {
    if (HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // A Windows 7 without KB2533623 does not know the flag: the full path then says where.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::string path = std::string(folder, length) + "\\" + name;
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }

  struct Freer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
  };
  UniqueHandle<HMODULE, Freer> module_;
};
