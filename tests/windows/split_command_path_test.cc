#include "browsing/split_command_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <ostream>
#include <string>

#include "browsing/file_name_text.h"
#include "framework/current_directory.h"
#include "framework/exceptions.h"
#include "platform/path_text.h"
#include "tests/support/double_byte_names.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"

static void PrintTo(const CommandPathParts& parts, std::ostream* out) {
  *out << "{'"
       << (parts.driveLetter == '\0' ? std::string("\\0") : std::string(1, parts.driveLetter))
       << "', \"" << parts.directoryPart << "\", \"" << parts.filePart << "\"}";
}

namespace {

// ---------------------------------------------------------------------------------------
// The whole split on real drives: a folder made current on the temporary folder's drive
// (C:) stands for the "D:\app" of the worked examples, and a fresh folder on E: holds
// what the E: paths name.

// A file of its own at the root of E:, which other tests share: created only when no such
// file exists, removed afterwards.
class RootFile {
 public:
  explicit RootFile(std::string path) : path_(std::move(path)), made_(MakeFile(path_)) {}
  RootFile(const RootFile&) = delete;
  RootFile& operator=(const RootFile&) = delete;
  ~RootFile() {
    if (made_) DeleteFileA(path_.c_str());
  }
  bool made() const { return made_; }

 private:
  std::string path_;
  bool made_;
};

class SplitCommandPathOnDrives : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = CurrentDirectory();
    app_ = c_ / "app";
    ASSERT_TRUE(MakeDirectory(app_));
    ASSERT_TRUE(MakeFile(app_ + "\\a.$S$"));
    ASSERT_TRUE(MakeDirectory(app_ + "\\sub"));
    ASSERT_TRUE(MakeFile(app_ + "\\sub\\a.$S$"));
    ASSERT_TRUE(MakeDirectory(app_ + "\\" + kSo));
    ASSERT_TRUE(MakeFile(app_ + "\\" + kSo + "\\" + kHyo + ".$S$"));
    ASSERT_TRUE(MakeDirectory(e_ / "logs"));
    ASSERT_TRUE(MakeFile(e_ / "logs\\a.$S$"));
    ASSERT_TRUE(MakeDirectory(e_ / "work"));
    ASSERT_TRUE(MakeDirectory(e_ / "empty"));
    ASSERT_TRUE(MakeDirectory(e_ / kSo));
    ASSERT_TRUE(MakeFile(e_ / (kSo + "\\" + kHyo + ".$S$")));
    ASSERT_TRUE(MakeDirectory(e_ / kHyo));
    ASSERT_TRUE(MakeFile(e_ / (kHyo + "\\" + kSo + ".$S$")));

    appDrive_ = app_[0];
    ASSERT_NE(std::toupper(static_cast<unsigned char>(appDrive_)), 'E')
        << "the stand-in for D:\\app must lie on another drive";
    appRel_ = app_.substr(2);
    eRel_ = e_.path().substr(2);
    ASSERT_EQ(e_.path().substr(0, 3), "E:\\");
    // "E:" goes to the drive's remembered directory, which an earlier test may have left
    // in a folder that is gone by now.
    RememberOnE("E:\\");
  }

  // Nothing is left remembered inside the folders that are removed next.
  void TearDown() override {
    ChangeCurrentDirectory("E:\\");
    ChangeCurrentDirectory(original_);
  }

  // Drive E's remembered directory, which "E:" alone goes to, is left at directory; the
  // process's current directory goes back to the stand-in for D:\app.
  void RememberOnE(const std::string& directory) {
    ChangeCurrentDirectory(directory);
    ChangeCurrentDirectory(app_);
  }

  std::string original_;
  TempFolder c_;
  TempFolder e_{"E:\\"};
  std::string app_;
  char appDrive_ = '\0';
  std::string appRel_;  // app_ without its drive, as a directory part
  std::string eRel_;    // the E: folder without its drive
};

std::string Slashed(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::optional<CommandPathParts> SplitWithoutThrowing(const std::string& path) {
  try {
    return SplitCommandPath(path);
  } catch (const EInOutError& error) {
    ADD_FAILURE() << "EInOutError " << error.ErrorCode() << " for " << path;
    return std::nullopt;
  }
}

void ExpectSplit(const std::string& path, const CommandPathParts& expected) {
  const std::optional<CommandPathParts> parts = SplitWithoutThrowing(path);
  if (parts) {
    EXPECT_EQ(*parts, expected);
  }
}

TEST_F(SplitCommandPathOnDrives, WorkedExamples) {
  // The root of E: gets a file of a name no other test uses.
  const std::string rootName = std::string(platform::LastName(e_.path())) + ".$S$";
  const RootFile rootFile("E:\\" + rootName);
  ASSERT_TRUE(rootFile.made());

  struct Row {
    std::string path;
    CommandPathParts parts;
  };
  const Row rows[] = {
      {"E:" + eRel_ + "\\logs\\a.$S$", {'E', eRel_ + "\\logs", "a.$S$"}},
      {"a.$S$", {appDrive_, appRel_, "a.$S$"}},
      {"sub\\a.$S$", {appDrive_, "sub", "a.$S$"}},
      {"E:\\" + rootName, {'E', "\\", rootName}},
      {"E:" + eRel_ + "\\logs\\*.$S$", {'E', eRel_ + "\\logs", "*.$S$"}},
      {"E:" + eRel_ + "\\logs\\", {'E', eRel_ + "\\logs", ""}},
      {"E:" + eRel_ + "\\logs", {'E', eRel_ + "\\logs", ""}},
      {"E:", {'E', eRel_ + "\\work", ""}},
      {"..", {appDrive_, appRel_ + "\\..", ""}},
      {"[..]", {appDrive_, appRel_ + "\\..", ""}},
      // No such server: its root is passed over and the directory part is taken on the
      // current drive, where it exists; the share stays in front of the directory part.
      {"\\\\srv\\share" + appRel_ + "\\a.$S$", {'\0', "\\\\srv\\share" + appRel_, "a.$S$"}},
      // "/" separates as the system's own calls take it; the parts come back with "\".
      {"E:" + Slashed(eRel_) + "/logs/a.$S$", {'E', eRel_ + "\\logs", "a.$S$"}},
      {"E:" + Slashed(eRel_) + "/logs/", {'E', eRel_ + "\\logs", ""}},
      {"sub/a.$S$", {appDrive_, "sub", "a.$S$"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    RememberOnE(e_ / "work");
    ExpectSplit(row.path, row.parts);
    EXPECT_EQ(CurrentDirectory(), app_);
  }
}

TEST_F(SplitCommandPathOnDrives, OneCharacterRelativeFolderIsNotTakenForTheRoot) {
  // ".\sub" names app\sub, not \sub at the root of the drive.
  ExpectSplit(".\\sub", {appDrive_, ".\\sub", ""});
  ExpectSplit(".\\sub\\a.$S$", {appDrive_, ".\\sub", "a.$S$"});
  EXPECT_EQ(CurrentDirectory(), app_);
}

TEST_F(SplitCommandPathOnDrives, MissingFileRaisesFileNotFoundAndRestoresDirectory) {
  ExpectSystemError([&] { SplitCommandPath("E:" + eRel_ + "\\logs\\b.$S$"); },
                    ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CurrentDirectory(), app_);
  EXPECT_EQ(TakeIOResult(), 0u);
}

TEST_F(SplitCommandPathOnDrives, UnenterableDirectoryRaisesTheSystemsCode) {
  const std::string missing = e_ / "missing";
  const std::string tooLong = e_ / std::string(300, 'x');
  struct Row {
    std::string path;
    std::string refusedDirectory;
  };
  const Row rows[] = {
      {"E:" + eRel_ + "\\missing\\a.$S$", missing},
      {"E:" + eRel_ + "\\missing\\*.$S$", missing},
      {"E:" + eRel_ + "\\missing\\", missing},
      {"E:" + eRel_ + "\\missing\\deeper\\a.$S$", missing + "\\deeper"},
      {"missing\\a.$S$", app_ + "\\missing"},
      {"[missing]", app_ + "\\missing"},
      {"E:" + eRel_ + "\\" + std::string(300, 'x') + "\\a.$S$", tooLong},
      {"E:" + eRel_ + "\\logs\\" + std::string(300, 'x'), e_ / ("logs\\" + std::string(300, 'x'))},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path.substr(0, 80));
    const DWORD expected = RefusalCode(row.refusedDirectory);
    ASSERT_NE(expected, 0u);
    ExpectSystemError([&] { SplitCommandPath(row.path); }, expected);
    EXPECT_EQ(CurrentDirectory(), app_);
  }

  // A root that exists but refuses entry (drive E's remembered directory, held open for
  // deletion) raises too, rather than taking the directory part on the current drive,
  // where it exists.
  RememberOnE(e_ / "work");
  const HANDLE holder = CreateFileA((e_ / "work").c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(RefusalCode("E:"), 0u);
  ExpectSystemError([&] { SplitCommandPath("E:" + appRel_ + "\\a.$S$"); }, RefusalCode("E:"));
  CloseHandle(holder);
}

TEST_F(SplitCommandPathOnDrives, PatternIsNeitherEnteredNorLookedUp) {
  // Nothing in the folder matches, so the pattern could be neither a file nor a directory.
  WIN32_FIND_DATAA found;
  ASSERT_EQ(FindFirstFileA((e_ / "empty\\*.$S$").c_str(), &found), INVALID_HANDLE_VALUE);
  for (const std::string& pattern :
       {std::string("*.$S$"), std::string("a?.$S$"), std::string("*"), kSo + "*"}) {
    SCOPED_TRACE(pattern);
    ExpectSplit("E:" + eRel_ + "\\empty\\" + pattern, {'E', eRel_ + "\\empty", pattern});
    EXPECT_EQ(CurrentDirectory(), app_);
  }
}

TEST_F(SplitCommandPathOnDrives, TrailingSeparatorChangesNothing) {
  for (const std::string& name : {std::string("logs"), kHyo, kSo}) {
    SCOPED_TRACE(name);
    const std::string path = "E:" + eRel_ + "\\" + name;
    const std::optional<CommandPathParts> bare = SplitWithoutThrowing(path);
    const std::optional<CommandPathParts> withSeparator = SplitWithoutThrowing(path + "\\");
    ASSERT_TRUE(bare && withSeparator);
    EXPECT_EQ(*bare, *withSeparator);
    EXPECT_EQ(*bare, (CommandPathParts{'E', eRel_ + "\\" + name, ""}));
  }
}

TEST_F(SplitCommandPathOnDrives, RelativePathStaysRelativeToTheRestoredDirectory) {
  const std::optional<CommandPathParts> parts = SplitWithoutThrowing("sub\\a.$S$");
  ASSERT_TRUE(parts);
  EXPECT_EQ(*parts, (CommandPathParts{appDrive_, "sub", "a.$S$"}));
  EXPECT_EQ(CurrentDirectory(), app_);
  const std::string resolved =
      platform::PathInFolder(platform::PathInFolder(CurrentDirectory(), parts->directoryPart), parts->filePart);
  const DWORD attributes = GetFileAttributesA(resolved.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << resolved;
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(SplitCommandPathOnDrives, BracketsAreRemovedBeforeAnythingElse) {
  struct Row {
    std::string path;
    CommandPathParts parts;
  };
  const Row rows[] = {
      {"[..]", {appDrive_, appRel_ + "\\..", ""}},
      {"[sub]", {appDrive_, appRel_ + "\\sub", ""}},
      {"[" + kSo + "]", {appDrive_, appRel_ + "\\" + kSo, ""}},
      {"[E:" + eRel_ + "\\logs]", {appDrive_, "E:" + eRel_ + "\\logs", ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    ExpectSplit(row.path, row.parts);
    EXPECT_EQ(CurrentDirectory(), app_);
  }
  // The bracket form and the bare form split alike.
  EXPECT_EQ(SplitWithoutThrowing("[..]"), SplitWithoutThrowing(".."));
  EXPECT_EQ(SplitWithoutThrowing("[sub]"), SplitWithoutThrowing("sub"));
}

TEST_F(SplitCommandPathOnDrives, DriveAloneGoesToItsRememberedDirectory) {
  for (const std::string name : {"work", "logs", "empty"}) {
    SCOPED_TRACE(name);
    RememberOnE(e_ / name);
    ExpectSplit("E:", {'E', eRel_ + "\\" + name, ""});
    EXPECT_EQ(CurrentDirectory(), app_);
  }
  // A name after the drive is taken in the remembered directory as well.
  RememberOnE(e_ / "logs");
  EXPECT_EQ(SplitWithoutThrowing("E:a.$S$"), (CommandPathParts{'E', eRel_ + "\\logs", "a.$S$"}));
}

TEST_F(SplitCommandPathOnDrives, DriveLetterKeepsItsCase) {
  EXPECT_EQ(SplitWithoutThrowing("e:" + eRel_ + "\\logs\\a.$S$"),
            (CommandPathParts{'e', eRel_ + "\\logs", "a.$S$"}));
  EXPECT_EQ(SplitWithoutThrowing("e:" + eRel_ + "\\logs"),
            (CommandPathParts{'e', eRel_ + "\\logs", ""}));
  EXPECT_EQ(CurrentDirectory(), app_);
}

TEST_F(SplitCommandPathOnDrives, RootThatDoesNotExistIsPassedOver) {
  const DWORD drives = GetLogicalDrives();
  char absent = '\0';
  for (char letter = 'Y'; letter >= 'F'; --letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) {
      absent = letter;
      break;
    }
  }
  ASSERT_NE(absent, '\0') << "every drive letter is taken";
  const std::string root = std::string(1, absent) + ":";
  ASSERT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(SplitWithoutThrowing(root + appRel_ + "\\a.$S$"),
            (CommandPathParts{absent, appRel_, "a.$S$"}));
  EXPECT_EQ(SplitWithoutThrowing(root + appRel_ + "\\sub"),
            (CommandPathParts{absent, appRel_ + "\\sub", ""}));
  EXPECT_EQ(CurrentDirectory(), app_);
}

TEST_F(SplitCommandPathOnDrives, DirectoryNamedLikeAFileIsEntered) {
  ASSERT_TRUE(MakeDirectory(e_ / "logs\\d.$S$"));
  EXPECT_EQ(SplitWithoutThrowing("E:" + eRel_ + "\\logs\\d.$S$"),
            (CommandPathParts{'E', eRel_ + "\\logs\\d.$S$", ""}));
  EXPECT_EQ(CurrentDirectory(), app_);
}

TEST_F(SplitCommandPathOnDrives, TrailByte5CIsNeverASeparator) {
  struct Row {
    std::string path;
    CommandPathParts parts;
  };
  const Row rows[] = {
      {"E:" + eRel_ + "\\" + kSo + "\\" + kHyo + ".$S$", {'E', eRel_ + "\\" + kSo, kHyo + ".$S$"}},
      {"E:" + eRel_ + "\\" + kHyo + "\\" + kSo + ".$S$", {'E', eRel_ + "\\" + kHyo, kSo + ".$S$"}},
      {"E:" + eRel_ + "\\" + kHyo, {'E', eRel_ + "\\" + kHyo, ""}},
      {"E:" + eRel_ + "\\" + kSo + "\\", {'E', eRel_ + "\\" + kSo, ""}},
      {"E:" + eRel_ + "\\" + kSo + "\\*.$S$", {'E', eRel_ + "\\" + kSo, "*.$S$"}},
      {kSo + "\\" + kHyo + ".$S$", {appDrive_, kSo, kHyo + ".$S$"}},
      {kSo, {appDrive_, appRel_ + "\\" + kSo, ""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    ExpectSplit(row.path, row.parts);
    EXPECT_EQ(CurrentDirectory(), app_);
  }
}

// Makes a folder current and then takes it away: Wine, unlike Windows, lets a folder above
// the current directory be renamed. Gives the current directory's path, which then names
// nothing.
std::string EnterAndMoveAway(const TempFolder& folder) {
  const std::string current = folder / "gone\\app";
  if (!MakeDirectory(folder / "gone") || !MakeDirectory(current)) return {};
  ChangeCurrentDirectory(current);
  if (!MoveFileA((folder / "gone").c_str(), (folder / "moved").c_str())) return {};
  return current;
}

TEST_F(SplitCommandPathOnDrives, SavedDirectoryThatIsGoneIsNotPutBack) {
  const std::string saved = EnterAndMoveAway(c_);
  ASSERT_FALSE(saved.empty());
  ASSERT_EQ(CurrentDirectory(), saved);
  ASSERT_EQ(GetFileAttributesA(saved.c_str()), INVALID_FILE_ATTRIBUTES);

  ExpectSplit("E:" + eRel_ + "\\logs\\a.$S$", {'E', eRel_ + "\\logs", "a.$S$"});
  EXPECT_EQ(GetFileAttributesA(saved.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SplitCommandPathOnDrives, SavedDirectoryThatRefusesEntryRaisesAfterASplit) {
  const std::string saved = EnterAndMoveAway(c_);
  ASSERT_FALSE(saved.empty());
  // A new folder under the saved path, held open for deletion without letting others
  // share that: entering it is refused, although it exists as a directory.
  ASSERT_TRUE(MakeDirectory(c_ / "gone"));
  ASSERT_TRUE(MakeDirectory(saved));
  const HANDLE holder = CreateFileA(saved.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE) << GetLastError();
  const DWORD refusal = RefusalCode(saved);
  EXPECT_EQ(refusal, static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  ExpectSystemError([&] { SplitCommandPath("E:" + eRel_ + "\\logs\\a.$S$"); }, refusal);
  // A split that fails by itself reports its own failure, not the one of putting back.
  ExpectSystemError([&] { SplitCommandPath("E:" + eRel_ + "\\logs\\b.$S$"); },
                    ERROR_FILE_NOT_FOUND);
  CloseHandle(holder);
}

TEST_F(SplitCommandPathOnDrives, MalformedInputsRaiseOrGiveADefinedResult) {
  struct Row {
    std::string path;
    std::optional<CommandPathParts> parts;  // none: EInOutError
  };
  const Row rows[] = {
      {"", CommandPathParts{appDrive_, appRel_, ""}},
      {"[]", CommandPathParts{appDrive_, appRel_, ""}},
      {"[", std::nullopt},
      {"[x\x83]", std::nullopt},
      {"ab\x83", std::nullopt},
      {"E:" + eRel_ + "\\logs\\\x83", std::nullopt},
      {"\x83", std::nullopt},
      // ":" alone is an empty name after a separator: the current drive's root.
      {":", CommandPathParts{appDrive_, "\\", ""}},
      // "::" is a drive part that names no drive.
      {"::", CommandPathParts{':', appRel_, ""}},
      // "\\" is a network root without server: not entered, kept in front.
      {"\\\\", CommandPathParts{'\0', "\\\\" + appRel_, ""}},
      {"\\\\\\\\", CommandPathParts{'\0', "\\\\\\\\", ""}},
      {"E:" + eRel_ + "\\logs\\\\a.$S$", CommandPathParts{'E', eRel_ + "\\logs\\", "a.$S$"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    try {
      const CommandPathParts parts = SplitCommandPath(row.path);
      if (row.parts) {
        EXPECT_EQ(parts, *row.parts);
      } else {
        ADD_FAILURE() << "no exception";
      }
    } catch (const EInOutError& error) {
      EXPECT_FALSE(row.parts) << "EInOutError " << error.ErrorCode();
      EXPECT_NE(error.ErrorCode(), 0u);
    }
    EXPECT_EQ(CurrentDirectory(), app_);
  }
}

}  // namespace
