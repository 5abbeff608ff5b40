#include "browsing/volume_query.h"

std::optional<DWORD> VolumeFileSystemFlags(const std::string& root) {
  const CriticalErrorsFail quiet;
  DWORD flags = 0;
  if (!GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return std::nullopt;
  return flags;
}

std::optional<std::string> VolumeName(const std::string& root) {
  const CriticalErrorsFail quiet;
  char name[MAX_PATH + 1] = {};
  if (!GetVolumeInformationA(root.c_str(), name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0)) {
    return std::nullopt;
  }
  name[MAX_PATH] = '\0';
  return std::string(name);
}
