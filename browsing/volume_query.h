#pragma once
// Questions about a drive's volume, asked so that the system never shows a critical-error
// dialog ("no disk in drive") to the user: a drive without a medium just fails.

#include <windows.h>

#include <optional>
#include <string>

// Sets the process's error mode to fail critical errors without asking the user, and puts
// the previous mode back.
class CriticalErrorsFail {
 public:
  CriticalErrorsFail() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  CriticalErrorsFail(const CriticalErrorsFail&) = delete;
  CriticalErrorsFail& operator=(const CriticalErrorsFail&) = delete;
  ~CriticalErrorsFail() { SetErrorMode(previous_); }

 private:
  UINT previous_;
};

// The file-system flags of the volume at root ("C:\", "\\srv\share\"), or nothing when the
// volume cannot be asked.
std::optional<DWORD> VolumeFileSystemFlags(const std::string& root);

// The volume's name (label) at root, or nothing when the volume cannot be asked.
std::optional<std::string> VolumeName(const std::string& root);
