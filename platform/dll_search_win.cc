#include <windows.h>

#include "platform/dll_search.h"

namespace platform {

void SearchSystemFolderOnlyForDlls() {
  // Looked up rather than imported: an unpatched Windows 7 lacks it, and an import would keep
  // the program from starting there at all.
  using SetDefaultDllDirectoriesFunction = decltype(SetDefaultDllDirectories);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  // void (*)() is the one function type GCC lets FARPROC pass through without a warning.
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction*>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace platform
