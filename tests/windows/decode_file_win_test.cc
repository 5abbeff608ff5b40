// DecodeFile with Windows paths under Wine: the separator rule on real drive letters.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/policy/decode_file.h"
#include "tests/support/log_fixture.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace {

using Events = std::vector<std::string>;

TEST(DecodeFileWin, DriveRootOutputFolderGetsOneSeparator) {
  // "E:\" as the output folder: the file goes to E:\LOG1.CSV, not E:\\LOG1.CSV.
  TempFolder logs;
  const std::string input = logs / "LOG7.$S$";
  const auto cipher = MakeSampleLog("pw", 48, 8);
  WriteFileBytes(input, cipher);
  RecordingHost host;
  host.password = "pw";
  host.outputFolder = "E:\\";
  DecodeFile(host, input);
  EXPECT_EQ(host.events, Events{"done"});
  EXPECT_EQ(ReadFileBytes("E:\\LOG7.CSV"), ReferenceDecrypt("pw", cipher));
  DeleteFileA("E:\\LOG7.CSV");
}

TEST(DecodeFileWin, DoubleBytePasswordKeysAsItsCodePage932Bytes) {
  // "パスワード" in code page 932, as the password edit holds it.
  const std::string password = "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68";
  TempFolder logs;
  TempFolder out;
  const std::string input = logs / "LOG1.$S$";
  const auto cipher = MakeSampleLog(password, 80, 2);
  WriteFileBytes(input, cipher);
  RecordingHost host;
  host.password = password;
  host.outputFolder = out.path();
  DecodeFile(host, input);
  EXPECT_EQ(host.events, Events{"done"});
  EXPECT_EQ(ReadFileBytes(out / "LOG1.CSV"), ReferenceDecrypt(password, cipher));
}

}  // namespace
