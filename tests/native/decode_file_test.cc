#include "dialog/policy/decode_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialog/dialog_texts.h"
#include "platform/file.h"
#include "tests/support/log_fixture.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Events = std::vector<std::string>;

const std::string kTitle = kMessageTitle;
const std::string kFailed = "say:" + std::string(kDecodeFailedText) + "|" + kTitle;
const std::string kWrong = "say:" + std::string(kWrongPasswordText) + "|" + kTitle;
const std::string kAsk = "ask:" + std::string(kAbortQuestionText) + "|" + kTitle;

struct DialogRun {
  TempFolder logs;
  TempFolder out;
  RecordingHost host;
  std::string input = logs / "LOG1.$S$";
  Bytes cipher;

  DialogRun() {
    host.password = "pass word";
    host.outputFolder = out.path();
    cipher = MakeSampleLog(host.password, 1000, 3);
    WriteFileBytes(input, cipher);
  }
  bool InputIntact() const {
    return platform::QueryPathKind(input) == platform::PathKind::File &&
           ReadFileBytes(input) == cipher;
  }
  // DecodeFile, checking at every message box that both files are closed by then: nothing
  // holds the input, and no output of this call stands in the output folder.
  void Decode() {
    host.onMessage = [this, outputs = out.Names()] {
      if (platform::QueryPathKind(input) == platform::PathKind::File) {
        EXPECT_TRUE(platform::File::OpenExclusiveForReading(input)) << "input held";
      }
      EXPECT_EQ(out.Names(), outputs);
    };
    DecodeFile(host, input);
  }
};

TEST(DecodeFile, TextsAreTheDialogsOwn) {
  EXPECT_EQ(std::string(kMessageTitle), "Vellunora 復号化ツール");
  EXPECT_EQ(std::string(kDecodeFailedText), "複号化に失敗しました。");
  EXPECT_EQ(std::string(kWrongPasswordText), "暗号パスが違います。");
  EXPECT_EQ(std::string(kAbortQuestionText), "処理を中断しますか？");
}

// Every status, whether the dialog's own options can lead to it or not, has one reaction.
TEST(ReportOutcome, EachStatusGetsTheDialogsReaction) {
  const Events hard = {kFailed, "stop", "pause:1000", "close"};
  const std::pair<DecryptStatus, Events> rows[] = {
      {DecryptStatus::Done, {"done"}},
      {DecryptStatus::WrongPassword, {kWrong, kAsk}},
      {DecryptStatus::InputMissing, hard},
      {DecryptStatus::NotRegularFile, hard},
      {DecryptStatus::InputEmpty, hard},
      {DecryptStatus::InputUnreadable, hard},
      {DecryptStatus::OutputExists, hard},
      {DecryptStatus::OutputUnwritable, hard},
      {DecryptStatus::Interrupted, hard},
  };
  for (const auto& [status, expected] : rows) {
    RecordingHost host;
    ReportOutcome(host, status);
    EXPECT_EQ(host.events, expected) << static_cast<int>(status);
  }
}

TEST(DecodeFile, SuccessWritesTheOutputDeletesTheInputAndSetsDone) {
  DialogRun run;
  DecodeFile(run.host, run.input);
  EXPECT_EQ(run.host.events, Events{"done"});
  EXPECT_EQ(ReadFileBytes(run.out / "LOG1.CSV"), ReferenceDecrypt(run.host.password, run.cipher));
  EXPECT_TRUE(run.logs.Names().empty());
  ASSERT_FALSE(run.host.progress.empty()) << "the dialog hears how far the file is";
  EXPECT_EQ(run.host.progress.back(), "1000/1000");
}

TEST(DecodeFile, OutputFolderWithTrailingSeparatorGetsNoSecondOne) {
  DialogRun run;
  run.host.outputFolder = run.out.path() + NativeSeparator();
  DecodeFile(run.host, run.input);
  EXPECT_EQ(run.host.events, Events{"done"});
  EXPECT_EQ(run.out.Names(), std::vector<std::string>{"LOG1.CSV"});
}

TEST(DecodeFile, HardFailuresShowOneMessageStopPauseAndClose) {
  struct Case {
    const char* name;
    std::function<void(DialogRun&)> arrange;
  };
  const Case cases[] = {
      {"A: input missing", [](DialogRun& r) { platform::DeleteFilePath(r.input); r.cipher.clear(); }},
      {"A: input is a folder", [](DialogRun& r) { r.input = r.logs.path(); }},
      {"B: input empty", [](DialogRun& r) { r.cipher.clear(); WriteFileBytes(r.input, r.cipher); }},
      {"D: output folder missing",
       [](DialogRun& r) { r.host.outputFolder = r.out / "missing"; }},
      // The output is made before block 0 is checked, so D comes before E.
      {"D: output folder missing, and a wrong password",
       [](DialogRun& r) {
         r.host.outputFolder = r.out / "missing";
         r.host.password = "wrong";
       }},
  };
  for (const Case& c : cases) {
    DialogRun run;
    c.arrange(run);
    const auto logsBefore = run.logs.Names();
    run.Decode();
    EXPECT_EQ(run.host.events, (Events{kFailed, "stop", "pause:1000", "close"})) << c.name;
    EXPECT_EQ(run.logs.Names(), logsBefore) << c.name;
    EXPECT_TRUE(run.out.Names().empty()) << c.name;
  }
}

TEST(DecodeFile, LockedInputIsFailureC) {
  DialogRun run;
  auto holder = platform::File::OpenExclusiveForReading(run.input);
  ASSERT_TRUE(holder);
  DecodeFile(run.host, run.input);
  holder.value->Close();
  EXPECT_EQ(run.host.events, (Events{kFailed, "stop", "pause:1000", "close"}));
  EXPECT_TRUE(run.InputIntact());
  EXPECT_TRUE(run.out.Names().empty());
}

TEST(DecodeFile, WrongPasswordAsksAndOnlyOkStopsTheBatch) {
  struct Case {
    MessageAnswer answer;
    Events expected;
  };
  const Case cases[] = {
      {MessageAnswer::Ok, {kWrong, kAsk, "pause:1000", "stop"}},
      {MessageAnswer::Cancel, {kWrong, kAsk}},
  };
  for (const Case& c : cases) {
    DialogRun run;
    const Bytes previous = {'k', 'e', 'e', 'p'};
    WriteFileBytes(run.out / "LOG1.CSV", previous);
    run.host.password = "Pass word";
    run.host.answer = c.answer;
    run.Decode();
    EXPECT_EQ(run.host.events, c.expected);
    EXPECT_TRUE(run.InputIntact());
    // An existing output of the same name survives a wrong password.
    EXPECT_EQ(ReadFileBytes(run.out / "LOG1.CSV"), previous);
  }
}

TEST(DecodeFile, ExistingOutputIsReplacedWithoutAQuestion) {
  DialogRun run;
  WriteFileBytes(run.out / "LOG1.CSV", Bytes{'o', 'l', 'd'});
  DecodeFile(run.host, run.input);
  EXPECT_EQ(run.host.events, Events{"done"});
  EXPECT_EQ(ReadFileBytes(run.out / "LOG1.CSV"), ReferenceDecrypt(run.host.password, run.cipher));
}

TEST(DecodeFile, EmptyPasswordIsAPasswordLikeAnyOther) {
  DialogRun run;
  run.host.password = "";
  run.cipher = MakeSampleLog("", 64, 9);
  WriteFileBytes(run.input, run.cipher);
  DecodeFile(run.host, run.input);
  EXPECT_EQ(run.host.events, Events{"done"});
  EXPECT_EQ(ReadFileBytes(run.out / "LOG1.CSV"), ReferenceDecrypt("", run.cipher));
}

TEST(DecodeFile, PasswordsOfAnyLengthAreDigestedWhole) {
  for (size_t length : std::initializer_list<size_t>{24, 31, 32, 200, 5000}) {
    DialogRun run;
    run.host.password = std::string(length, 'p');
    run.cipher = MakeSampleLog(run.host.password, 64, 9);
    WriteFileBytes(run.input, run.cipher);
    DecodeFile(run.host, run.input);
    EXPECT_EQ(run.host.events, Events{"done"}) << length;
    // One byte less is another key.
    DialogRun shorter;
    shorter.host.password = std::string(length - 1, 'p');
    WriteFileBytes(shorter.input, run.cipher);
    shorter.cipher = run.cipher;
    DecodeFile(shorter.host, shorter.input);
    EXPECT_EQ(shorter.host.events.front(), kWrong) << length;
  }
}

TEST(DecodeFile, TwoFilesOfABatchGetTheSameKey) {
  DialogRun run;
  const std::string second = run.logs / "LOG2.$S$";
  const Bytes secondCipher = MakeSampleLog(run.host.password, 77, 5);
  WriteFileBytes(second, secondCipher);
  DecodeFile(run.host, run.input);
  DecodeFile(run.host, second);
  EXPECT_EQ(run.host.events, (Events{"done", "done"}));
  EXPECT_EQ(ReadFileBytes(run.out / "LOG2.CSV"), ReferenceDecrypt(run.host.password, secondCipher));
}

}  // namespace
