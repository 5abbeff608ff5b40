#include "browsing/directory_list_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/double_byte_names.h"

namespace {

TEST(DirectoryListText, PathLevelEntriesFromRootToCurrent) {
  using enum FolderEntryKind;
  struct Case {
    std::string folder;
    std::vector<FolderEntry> entries;
  };
  const Case cases[] = {
      {"C:\\", {{"C:\\", Current}}},
      {"C:\\logs", {{"C:\\", Open}, {"logs", Current}}},
      {"C:\\logs\\2008", {{"C:\\", Open}, {"logs", Open}, {"2008", Current}}},
      {"\\\\srv\\share\\a", {{"\\\\srv\\share\\", Open}, {"a", Current}}},
      {"\\\\srv\\share\\a\\b", {{"\\\\srv\\share\\", Open}, {"a", Open}, {"b", Current}}},
      {"\\\\srv\\share\\", {{"\\\\srv\\share\\", Open}}},
      {"\\\\srv\\share", {{"\\\\srv\\share\\", Open}}},
      {"C:\\" + kSo + "\\" + kHyo, {{"C:\\", Open}, {kSo, Open}, {kHyo, Current}}},
      {"E:\\" + kHyo + "x\\" + kSo, {{"E:\\", Open}, {kHyo + "x", Open}, {kSo, Current}}},
  };
  for (const Case& c : cases) EXPECT_EQ(PathLevelEntries(c.folder), c.entries) << c.folder;
}

TEST(DirectoryListText, PathLevelPathCutsAfterTheLevel) {
  struct Case {
    std::string folder;
    int index;
    std::string path;
  };
  const Case cases[] = {
      {"C:\\logs\\2008\\jan", 0, "C:\\"},
      {"C:\\logs\\2008\\jan", 1, "C:\\logs"},
      {"C:\\logs\\2008\\jan", 2, "C:\\logs\\2008"},
      {"C:\\", 0, "C:\\"},
      {"\\\\srv\\share\\a\\b", 0, "\\\\srv\\share\\"},
      {"\\\\srv\\share\\a\\b", 1, "\\\\srv\\share\\a"},
      {"C:\\" + kSo + "\\" + kHyo + "\\x", 1, "C:\\" + kSo},
      {"C:\\" + kSo + "\\" + kHyo + "\\x", 2, "C:\\" + kSo + "\\" + kHyo},
  };
  for (const Case& c : cases) EXPECT_EQ(PathLevelPath(c.folder, c.index), c.path) << c.folder << " " << c.index;
}

}  // namespace
