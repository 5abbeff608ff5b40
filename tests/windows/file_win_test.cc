// The Win32 file layer for real under Wine: share modes, attributes, drive letters and
// code page 932 names.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/decrypt_file.h"
#include "engine/key_text.h"
#include "engine/output_path.h"
#include "platform/file.h"
#include "tests/support/double_byte_names.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kPassword[] = "pw";

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

Handle OpenShared(const std::string& path, DWORD access, DWORD share) {
  return Handle(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

BlowfishContext Key() {
  BlowfishContext context;
  KeyFromPassword(kPassword, context);
  return context;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(FileWin, InputOpenedElsewhereIsASharingViolation) {
  struct Case {
    const char* name;
    DWORD access;
    DWORD share;
  };
  // Any other open with data access keeps the decoder out, even one that shares reading.
  const Case cases[] = {{"exclusive reader", GENERIC_READ, 0},
                        {"sharing reader", GENERIC_READ, FILE_SHARE_READ},
                        {"writer", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE}};
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string input = folder / "LOG1.$S$";
    const Bytes cipher = MakeSampleLog(kPassword, 64, 1);
    WriteFileBytes(input, cipher);
    {
      const Handle holder = OpenShared(input, c.access, c.share);
      ASSERT_TRUE(holder.IsValid()) << c.name;
      const DecryptResult result = DecryptLogFile(Key(), input, folder / "LOG1.CSV", {});
      EXPECT_EQ(result.status, DecryptStatus::InputUnreadable) << c.name;
      EXPECT_EQ(result.error, static_cast<platform::SystemError>(ERROR_SHARING_VIOLATION))
          << c.name;
    }
    EXPECT_EQ(ReadFileBytes(input), cipher) << c.name;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"LOG1.$S$"}) << c.name;
  }
}

TEST(FileWin, ReadOnlyInputIsDecryptedAndKept) {
  TempFolder folder;
  const std::string input = folder / "LOG1.$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 100, 2);
  WriteFileBytes(input, cipher);
  ASSERT_TRUE(SetFileAttributesA(input.c_str(), FILE_ATTRIBUTE_READONLY));
  const DecryptResult result = DecryptLogFile(Key(), input, folder / "LOG1.CSV", {});
  EXPECT_EQ(result.status, DecryptStatus::Done);
  EXPECT_TRUE(result.inputDeleteFailed);
  EXPECT_EQ(result.deleteError, static_cast<platform::SystemError>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadFileBytes(input), cipher);
  EXPECT_EQ(ReadFileBytes(folder / "LOG1.CSV"), ReferenceDecrypt(kPassword, cipher));
  SetFileAttributesA(input.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileWin, OutputHeldOpenIsNotReplacedAndTheInputStays) {
  TempFolder folder;
  const std::string input = folder / "LOG1.$S$";
  const std::string output = folder / "LOG1.CSV";
  const Bytes cipher = MakeSampleLog(kPassword, 100, 3);
  const Bytes previous = {'o', 'l', 'd'};
  WriteFileBytes(input, cipher);
  WriteFileBytes(output, previous);
  {
    const Handle holder = OpenShared(output, GENERIC_READ, 0);
    ASSERT_TRUE(holder.IsValid());
    EXPECT_EQ(DecryptLogFile(Key(), input, output, {}).status, DecryptStatus::OutputUnwritable);
  }
  EXPECT_EQ(ReadFileBytes(output), previous);
  EXPECT_EQ(ReadFileBytes(input), cipher);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"LOG1.$S$", "LOG1.CSV"}));
}

TEST(FileWin, DriveLettersAndDoubleByteNames) {
  ASSERT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_FIXED))
      << "drive E: is linked by scripts/wine-session";
  struct Case {
    const char* name;
    std::string inputFolderName;
    std::string inputName;
    std::string outputFolderName;  // inside E:\ ; "" is the root itself
    std::string expectedOutputName;
  };
  const Case cases[] = {
      {"root output folder", "logs", "LOG1.$S$", "", "LOG1.CSV"},
      {"output folder ending in a 0x5C trail byte", "logs", "LOG1.$S$", kSo, "LOG1.CSV"},
      {"input folder and name with 0x5C trail bytes", kHyo, kHyo + ".$S$", "out", kHyo + ".CSV"},
  };
  for (const Case& c : cases) {
    TempFolder drive("E:\\");  // a fresh area on E:, standing in for the drive's root
    const std::string inputFolder = drive / c.inputFolderName;
    ASSERT_TRUE(CreateDirectoryA(inputFolder.c_str(), nullptr)) << c.name;
    const std::string input = inputFolder + "\\" + c.inputName;
    const Bytes cipher = MakeSampleLog(kPassword, 257, 4);
    WriteFileBytes(input, cipher);

    std::string outputFolder = drive.path() + "\\";
    if (!c.outputFolderName.empty()) {
      outputFolder = drive / c.outputFolderName;
      ASSERT_TRUE(CreateDirectoryA(outputFolder.c_str(), nullptr)) << c.name;
    }
    const std::string output = OutputPathFor(outputFolder, input);
    const std::string expected = (c.outputFolderName.empty() ? drive.path()
                                                             : drive / c.outputFolderName) +
                                 "\\" + c.expectedOutputName;
    EXPECT_EQ(output, expected) << c.name;
    EXPECT_EQ(DecryptLogFile(Key(), input, output, {}).status, DecryptStatus::Done) << c.name;
    EXPECT_EQ(ReadFileBytes(expected), ReferenceDecrypt(kPassword, cipher)) << c.name;
    EXPECT_FALSE(Exists(input)) << c.name;
  }
}

TEST(FileWin, OutputOnAnotherDriveThanTheInput) {
  TempFolder logs;                // on C:
  TempFolder out("E:\\");
  const std::string input = logs / "LOG9.$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 5000, 5);
  WriteFileBytes(input, cipher);
  EXPECT_EQ(DecryptLogFile(Key(), input, out / "LOG9.CSV", {}).status, DecryptStatus::Done);
  EXPECT_EQ(ReadFileBytes(out / "LOG9.CSV"), ReferenceDecrypt(kPassword, cipher));
  EXPECT_EQ(out.Names(), std::vector<std::string>{"LOG9.CSV"});
  EXPECT_FALSE(Exists(input));
}

TEST(FileWin, FindFileSizeSeesHiddenAndSystemFiles) {
  TempFolder folder;
  const std::string path = folder / "h.$S$";
  WriteFileBytes(path, Bytes(77, 1));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(FindFileSize(path), 77u);
  EXPECT_EQ(FindFileSize(folder / "none.$S$"), 0u);
}

}  // namespace
