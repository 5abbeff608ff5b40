#pragma once
// Questions about a drive's volume, asked so that the system never shows a critical-error
// dialog ("no disk in drive") to the user: a drive without a medium just fails.

#include <windows.h>

#include <functional>
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

// The system's question behind both functions below: GetVolumeInformationA with the root,
// the name buffer and its size, and the flags' address (either buffer may be null). Tests
// put their own in its place to see the error mode it is asked under, or to answer for a
// volume that Wine cannot make (a case-sensitive one).
using VolumeInformationQuery = std::function<BOOL(const char* root, char* name, DWORD nameSize, DWORD* flags)>;
extern VolumeInformationQuery VolumeInformationSource;

// The file-system flags of the volume at root ("C:\", "\\srv\share\"), or nothing when the
// volume cannot be asked.
std::optional<DWORD> VolumeFileSystemFlags(const std::string& root);

// The volume's name (label) at root, or nothing when the volume cannot be asked.
std::optional<std::string> VolumeName(const std::string& root);
