#include "framework/current_directory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/exceptions.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/framework_fixture.h"

namespace {

TEST(ChangeCurrentDirectory, FailureRaisesWithTheSystemCodeAndLeavesNothingPending) {
  const std::string before = CurrentDirectory();
  TempFolder folder;
  ExpectSystemError([&] { ChangeCurrentDirectory(folder / "missing"); }, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(TakeIOResult(), 0u);
  EXPECT_EQ(CurrentDirectory(), before);
}

TEST(ChangeCurrentDirectory, DriveRemembersItsDirectory) {
  const std::string before = CurrentDirectory();
  TempFolder work("E:\\");
  ChangeCurrentDirectory(work.path());
  ChangeCurrentDirectory("C:\\");
  ChangeCurrentDirectory("E:");
  EXPECT_EQ(CurrentDirectory(), work.path());
  // E: must not stay remembered inside a folder that is about to go.
  ChangeCurrentDirectory("E:\\");
  ChangeCurrentDirectory(before);
}

// The unchecked change leaves its error for one TakeIOResult, which resets it.
TEST(TryChangeCurrentDirectory, RefusalIsPendingUntilTaken) {
  const std::string before = CurrentDirectory();
  TempFolder folder;
  EXPECT_FALSE(TryChangeCurrentDirectory(folder / "missing"));
  EXPECT_EQ(TakeIOResult(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(TakeIOResult(), 0u);
  EXPECT_TRUE(TryChangeCurrentDirectory(folder.path()));
  EXPECT_EQ(TakeIOResult(), 0u);
  EXPECT_EQ(CurrentDirectory(), folder.path());
  ChangeCurrentDirectory(before);
}

}  // namespace
