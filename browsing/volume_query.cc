#include "browsing/volume_query.h"

VolumeInformationQuery VolumeInformationSource = [](const char* root, char* name, DWORD nameSize, DWORD* flags) {
  return GetVolumeInformationA(root, name, nameSize, nullptr, nullptr, flags, nullptr, 0);
};

std::optional<DWORD> VolumeFileSystemFlags(const std::string& root) {
  const CriticalErrorsFail quiet;
  DWORD flags = 0;
  if (!VolumeInformationSource(root.c_str(), nullptr, 0, &flags)) return std::nullopt;
  return flags;
}

std::optional<std::string> VolumeName(const std::string& root) {
  const CriticalErrorsFail quiet;
  char name[MAX_PATH + 1] = {};
  if (!VolumeInformationSource(root.c_str(), name, sizeof name, nullptr)) return std::nullopt;
  name[MAX_PATH] = '\0';
  return std::string(name);
}
