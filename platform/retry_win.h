#pragma once
// Refusals that last a moment. On a real desktop other programs open new and changed files
// as soon as they appear: the shell, virus scanners, search indexers, sync clients. While one
// of them holds a file, opening, replacing or deleting it is refused; a moment later it works.

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/system_error.h"

namespace platform {

// Whether error may be another program holding path for a moment: a sharing or lock violation,
// or access denied on a file that exists and is neither read-only nor a folder. A missing file,
// a full disk or a read-only file is final.
inline bool IsMomentaryRefusal(SystemError error, const std::string& path) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
  if (error != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// Calls attempt (which returns 0 or the system's error) until it succeeds, fails for good or
// about two seconds of waits growing from 10 ms have passed; returns its last result. Long
// enough for a scanner's look at a file, short enough that a file held for good is reported
// without the user waiting on it.
template <typename Attempt>
SystemError RetryWhileHeld(const std::string& path, Attempt attempt) {
  constexpr DWORD kPatience = 2000;
  SystemError error = attempt();
  DWORD waited = 0;
  for (DWORD wait = 10; error != 0 && waited < kPatience && IsMomentaryRefusal(error, path);
       wait *= 2) {
    wait = std::min(wait, kPatience - waited);
    Sleep(wait);
    waited += wait;
    error = attempt();
  }
  return error;
}

}  // namespace platform
