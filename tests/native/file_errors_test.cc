// The system's answers that the engine tells apart by kind rather than by number: a name
// that is taken (an output that appeared meanwhile, when replacing is not allowed) and a
// path that is not there.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(FileErrors, EachRefusalIsOfItsKind) {
  struct Row {
    const char* name;
    std::function<platform::SystemError(const TempFolder&)> act;
    bool nameTaken;
    bool notFound;
  };
  const Row rows[] = {
      {"creating a file that exists",
       [](const TempFolder& f) { return platform::File::CreateExclusiveNew(f / "taken").error; },
       true, false},
      {"creating a file where a folder is",
       [](const TempFolder& f) { return platform::File::CreateExclusiveNew(f / "folder").error; },
       true, false},
      {"moving onto a file without replacing",
       [](const TempFolder& f) { return platform::MoveFilePath(f / "other", f / "taken", false); },
       true, false},
      {"creating in a missing folder",
       [](const TempFolder& f) {
         const std::string inMissing = f / (std::string("missing") + NativeSeparator() + "new");
         return platform::File::CreateExclusiveNew(inMissing).error;
       },
       false, true},
      {"moving a missing file",
       [](const TempFolder& f) { return platform::MoveFilePath(f / "missing", f / "new", false); },
       false, true},
  };
  for (const Row& row : rows) {
    TempFolder folder;
    WriteFileBytes(folder / "taken", std::vector<uint8_t>{1});
    WriteFileBytes(folder / "other", std::vector<uint8_t>{2});
    ASSERT_TRUE(std::filesystem::create_directory(folder / "folder"));
    const platform::SystemError error = row.act(folder);
    ASSERT_NE(error, 0u) << row.name;
    EXPECT_EQ(platform::IsNameTakenError(error), row.nameTaken) << row.name << ": " << error;
    EXPECT_EQ(platform::IsNotFoundError(error), row.notFound) << row.name << ": " << error;
  }
}

}  // namespace
