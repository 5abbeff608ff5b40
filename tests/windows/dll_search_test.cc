// This program runs from a folder that also holds two planted DLLs (planted_dll.cc): mpr.dll,
// which Wine is told to prefer to its own (WINEDLLOVERRIDES=mpr=n,b) as Windows prefers a DLL
// beside the program, and planted.dll, of which the system has no copy at all.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "browsing/drive_combo_box.h"
#include "browsing/system_library.h"
#include "platform/dll_search.h"

namespace {

using RemoteConnectionQuery = decltype(WNetGetConnectionA);

std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH] = {};
  const std::string file(path, GetModuleFileNameA(module, path, sizeof path));
  return file.substr(0, file.find_last_of('\\'));
}

std::string SystemFolder() {
  char path[MAX_PATH] = {};
  return std::string(path, GetSystemDirectoryA(path, sizeof path));
}

bool BesideTheProgram(const std::string& name) {
  return GetFileAttributesA((ModuleFolder(nullptr) + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Windows takes a DLL beside the program before the system's copy; Wine does so for a DLL it
// has a copy of its own only when told to.
bool PlantedMprComesFirst() {
  if (!BesideTheProgram("mpr.dll")) return false;
  const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  char overrides[512] = {};
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  return !wine || std::string_view(overrides).find("mpr=n") != std::string_view::npos;
}

// The folder of the DLL that holds function.
std::string FolderOfFunction(RemoteConnectionQuery* function) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(function), &module)) {
    return {};
  }
  return ModuleFolder(module);
}

bool SameFolder(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

TEST(SystemLibrary, TakesTheSystemFoldersCopyNotTheOneBesideTheProgram) {
  ASSERT_TRUE(PlantedMprComesFirst());
  const SystemLibrary mpr("mpr.dll");
  ASSERT_TRUE(mpr.Loaded());
  const auto query = mpr.Find<RemoteConnectionQuery>("WNetGetConnectionA");
  ASSERT_NE(query, nullptr);
  EXPECT_TRUE(SameFolder(FolderOfFunction(query), SystemFolder())) << FolderOfFunction(query);
  // C: is no remote drive: the system's MPR refuses it, the planted one would name it.
  char remote[MAX_PATH] = {};
  DWORD size = sizeof remote;
  EXPECT_NE(query("C:", remote, &size), static_cast<DWORD>(NO_ERROR));
  EXPECT_STREQ(remote, "");
}

TEST(SystemLibrary, NothingWhereTheSystemFolderHasNoSuchLibraryOrFunction) {
  ASSERT_TRUE(BesideTheProgram("planted.dll"));
  const SystemLibrary planted("planted.dll");
  EXPECT_FALSE(planted.Loaded());
  EXPECT_EQ(planted.Find<RemoteConnectionQuery>("WNetGetConnectionA"), nullptr);
  const SystemLibrary mpr("mpr.dll");
  ASSERT_TRUE(mpr.Loaded());
  EXPECT_EQ(mpr.Find<RemoteConnectionQuery>("WNetGetConnectionB"), nullptr);
}

// The planted MPR would give C: a network name.
TEST(DriveComboText, RemoteNameAsksTheSystemsMpr) {
  ASSERT_TRUE(PlantedMprComesFirst());
  EXPECT_EQ(RemoteNameText('c'), VolumeLabelText('c'));
  EXPECT_EQ(RemoteNameText('C'), VolumeLabelText('C'));
}

// The restricted search would hold for the rest of the process: the default directories, the
// program's folder among them, are put back, so later tests in the same run still meet the
// planted DLLs.
class DllSearchRestricted : public testing::Test {
 protected:
  ~DllSearchRestricted() override { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS); }
};

TEST_F(DllSearchRestricted, LaterLoadsByNameFindNothingBesideTheProgram) {
  const HMODULE found = LoadLibraryA("planted.dll");
  ASSERT_NE(found, nullptr) << "the plain search does not look beside the program";
  FreeLibrary(found);
  platform::SearchSystemFolderOnlyForDlls();
  const HMODULE planted = LoadLibraryA("planted.dll");
  EXPECT_EQ(planted, nullptr);
  if (planted) FreeLibrary(planted);
}

}  // namespace
