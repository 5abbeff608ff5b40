// Tests of the command-line decoder's core: option parsing, the password line, output
// folders, input collection and the batch loop, with a sink that records what it is told.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/options.h"
#include "cli/password.h"
#include "cli/shown_name.h"
#include "engine/key_text.h"
#include "engine/output_path.h"
#include "tests/support/log_fixture.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_folder.h"

namespace {

using Action = ParsedCommandLine::Action;

constexpr char kPassword[] = "tokright";

TEST(ParseCommandLine, TakesEveryOptionIntoThePlainStruct) {
  struct Case {
    std::vector<std::string> args;
    Options expected;
  };
  const auto with = [](auto change) {
    Options options;
    options.inputs = {"a.$S$"};
    change(options);
    return options;
  };
  const Case cases[] = {
      {{"a.$S$"}, with([](Options&) {})},
      {{"-rkf", "a.$S$"},
       with([](Options& o) { o.recursive = o.keepInputs = o.replaceExisting = true; })},
      {{"--recursive", "--keep", "--force", "a.$S$"},
       with([](Options& o) { o.recursive = o.keepInputs = o.replaceExisting = true; })},
      {{"-p", "pw.txt", "a.$S$"}, with([](Options& o) { o.passwordFile = "pw.txt"; })},
      {{"--password-file=-", "a.$S$"}, with([](Options& o) { o.passwordFile = "-"; })},
      {{"-p", "-", "a.$S$"}, with([](Options& o) { o.passwordFile = "-"; })},
      {{"-o", "out", "a.$S$"}, with([](Options& o) { o.outputFolder = "out"; })},
      {{"a.$S$", "--output", "out"}, with([](Options& o) { o.outputFolder = "out"; })},
      {{"-c", "a.$S$"}, with([](Options& o) { o.mode = RunMode::ToStandardOutput; })},
      {{"--stdout", "a.$S$"}, with([](Options& o) { o.mode = RunMode::ToStandardOutput; })},
      {{"-t", "a.$S$"}, with([](Options& o) { o.mode = RunMode::CheckPassword; })},
      {{"--test", "a.$S$"}, with([](Options& o) { o.mode = RunMode::CheckPassword; })},
      {{"-t", "-o", "out", "a.$S$"}, with([](Options& o) {
         o.mode = RunMode::CheckPassword;
         o.outputFolder = "out";
       })},
      {{"--password-encoding", "UTF-8", "a.$S$"},
       with([](Options& o) { o.passwordEncoding = PasswordEncoding::Utf8; })},
      {{"--password-encoding=cp932", "a.$S$"},
       with([](Options& o) { o.passwordEncoding = PasswordEncoding::Cp932; })},
      {{"--password-encoding", "auto", "a.$S$"}, with([](Options&) {})},
      {{"--no-sync", "a.$S$"}, with([](Options& o) { o.syncToDisk = false; })},
      {{"-q", "a.$S$"}, with([](Options& o) { o.verbosity = Verbosity::Quiet; })},
      {{"--verbose", "a.$S$"}, with([](Options& o) { o.verbosity = Verbosity::Verbose; })},
      {{"-j", "3", "a.$S$"}, with([](Options& o) { o.jobs = 3; })},
      {{"--jobs=1", "a.$S$"}, with([](Options& o) { o.jobs = 1; })},
      {{"a.$S$", "dir", "--", "-b.$S$"}, with([](Options& o) {
         o.inputs = {"a.$S$", "dir", "-b.$S$"};
       })},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(c.args);
    const std::string shown = testing::PrintToString(c.args);
    ASSERT_EQ(parsed.action, Action::Run) << shown << parsed.text;
    const Options& o = parsed.options;
    EXPECT_EQ(o.inputs, c.expected.inputs) << shown;
    EXPECT_EQ(o.passwordFile, c.expected.passwordFile) << shown;
    EXPECT_EQ(o.outputFolder, c.expected.outputFolder) << shown;
    EXPECT_EQ(o.mode, c.expected.mode) << shown;
    EXPECT_EQ(o.verbosity, c.expected.verbosity) << shown;
    EXPECT_EQ(o.recursive, c.expected.recursive) << shown;
    EXPECT_EQ(o.keepInputs, c.expected.keepInputs) << shown;
    EXPECT_EQ(o.replaceExisting, c.expected.replaceExisting) << shown;
    EXPECT_EQ(o.syncToDisk, c.expected.syncToDisk) << shown;
    EXPECT_EQ(o.passwordEncoding, c.expected.passwordEncoding) << shown;
  }
}

TEST(ParseCommandLine, HelpAndVersionWinOverEverythingElse) {
  EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::ShowHelp);
  EXPECT_EQ(ParseCommandLine({"a.$S$", "--help", "-x"}).action, Action::ShowHelp);
  const ParsedCommandLine version = ParseCommandLine({"--version"});
  EXPECT_EQ(version.action, Action::ShowVersion);
  EXPECT_EQ(version.text, "vellunora-decode 1.0.3\n");
}

TEST(ParseCommandLine, PasswordIsNeverAnArgument) {
  for (const char* option : {"--password", "-P", "--pass"}) {
    const ParsedCommandLine parsed = ParseCommandLine({option, "secret", "a.$S$"});
    EXPECT_EQ(parsed.action, Action::UsageError) << option;
    EXPECT_NE(parsed.text.find(option), std::string::npos) << parsed.text;
  }
}

TEST(WithoutLineBreak, RemovesOnlyTheFirstLineBreak) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"pw\n", "pw"},     {"pw\r\n", "pw"},     {"pw", "pw"},     {"\n", ""},
      {"", ""},           {"a\nb\n", "a"},      {"pw\r", "pw\r"}, {"p\rw\n", "p\rw"},
      {" pw \n", " pw "}, {"pw\r\r\n", "pw\r"},
  };
  for (const auto& [line, expected] : cases) {
    EXPECT_EQ(WithoutLineBreak(line), expected) << testing::PrintToString(std::string(line));
  }
}

TEST(ShownName, EscapesControlBytesAndBytesThatAreNoCharacter) {
  using enum LineEncoding;
  struct Case {
    LineEncoding encoding;
    std::string_view name;
    std::string_view shown;
  };
  const Case cases[] = {
      {Utf8, "/var/log/LOG1.$S$", "/var/log/LOG1.$S$"},
      {Utf8, "a\nb.$S$", "a\\x0Ab.$S$"},
      {Utf8, "\x1B]0;title\x07.$S$", "\\x1B]0;title\\x07.$S$"},
      {Utf8, "a\x7F\t\r", "a\\x7F\\x09\\x0D"},
      {Utf8, "a\xFF.$S$", "a\\xFF.$S$"},
      {Utf8, "\xE3\x83.$S$", "\\xE3\\x83.$S$"},
      {Utf8, "ログ\xE3\x83", "ログ\\xE3\\x83"},
      {Utf8, "ログ/記録.$S$", "ログ/記録.$S$"},
      {Utf8, "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
      {Utf8, "\xC0\xAF\xE0\x9F\xBF", "\\xC0\\xAF\\xE0\\x9F\\xBF"},
      {Utf8, "\xED\xA0\x80\xF4\x90\x80\x80", "\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
      // U+009B: a terminal takes it for ESC [.
      {Utf8, "\xC2\x9B" "2J\xC2\xA0", "\\xC2\\x9B" "2J\xC2\xA0"},
      {Utf8, "C:\\logs\\a.$S$", "C:\\logs\\a.$S$"},
      // "ソ" ends in 0x5C; "ｱ" is one byte.
      {Cp932, "C:\\\x83\x5C\\\xB1.$S$", "C:\\\x83\x5C\\\xB1.$S$"},
      {Cp932, "a\n\x1B[2J", "a\\x0A\\x1B[2J"},
      {Cp932, "a\x83", "a\\x83"},
      {Cp932, "\x83\n\x81\x3F", "\\x83\\x0A\\x81?"},
      {Cp932, "\x80\xA0\xFD\xFF", "\\x80\\xA0\\xFD\\xFF"},
      {Cp932, "\xE3\x83\x82", "\xE3\x83\\x82"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownName(c.name, c.encoding), c.shown)
        << testing::PrintToString(std::string(c.name));
  }
}

TEST(SecretBytes, TakesTheTextAndEmptiesTheSource) {
  std::string text = "secret";
  SecretBytes secret(text);
  EXPECT_EQ(secret.view(), "secret");
  EXPECT_TRUE(text.empty());
  const SecretBytes moved(std::move(secret));
  EXPECT_EQ(moved.view(), "secret");
}

TEST(DefaultOutputFolder, IsTheInputsOwnFolder) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a.$S$", "./a.CSV"},       {"logs/a.$S$", "logs/a.CSV"},
      {"/a.$S$", "/a.CSV"},       {"/var/log/x/LOG1.$S$", "/var/log/x/LOG1.CSV"},
      {"./b.c.$S$", "./b.c.CSV"},
  };
  for (const auto& [input, output] : cases) {
    EXPECT_EQ(OutputPathFor(DefaultOutputFolder(input), input), output) << input;
  }
}

TEST(ExitCodeFor, WrongPasswordIsTwoOtherFailuresOne) {
  const std::pair<DecryptStatus, int> cases[] = {
      {DecryptStatus::Done, 0},
      {DecryptStatus::WrongPassword, 2},
      {DecryptStatus::InputMissing, 1},
      {DecryptStatus::InputEmpty, 1},
      {DecryptStatus::InputUnreadable, 1},
      {DecryptStatus::OutputExists, 1},
      {DecryptStatus::OutputUnwritable, 1},
  };
  for (const auto& [status, code] : cases) {
    DecryptResult result;
    result.status = status;
    EXPECT_EQ(ExitCodeFor(result), code) << static_cast<int>(status);
  }
  DecryptResult notDeleted;
  notDeleted.inputDeleteFailed = true;
  EXPECT_EQ(ExitCodeFor(notDeleted), 1);
}

void WriteLog(const std::string& path, size_t length = 64, uint32_t seed = 1) {
  WriteFileBytes(path, MakeSampleLog(kPassword, length, seed));
}

TEST(CollectInputs, TakesFolderLogFilesInNameOrderWithoutFollowingFolderLinks) {
  TempFolder folder;
  for (const char* name : {"b.$S$", "a.$s$", "c.$S$.txt", "LOG", ".$S$"}) WriteLog(folder / name);
  mkdir((folder / "sub").c_str(), 0777);
  WriteLog(folder / "sub/d.$S$");
  mkdir((folder / "dir.$S$").c_str(), 0777);
  TempFolder elsewhere;
  WriteLog(elsewhere / "e.$S$");
  ASSERT_EQ(symlink(elsewhere.path().c_str(), (folder / "linked").c_str()), 0);
  ASSERT_EQ(symlink((elsewhere / "e.$S$").c_str(), (folder / "f.$S$").c_str()), 0);

  RecordingSink sink;
  const InputList flat = CollectInputs({folder.path()}, false, Verbosity::Normal, sink);
  EXPECT_EQ(flat.files, (std::vector<std::string>{folder / ".$S$", folder / "a.$s$",
                                                  folder / "b.$S$", folder / "f.$S$"}));
  const InputList deep = CollectInputs({folder.path(), folder / "LOG", folder / "none.$S$"}, true,
                                       Verbosity::Normal, sink);
  EXPECT_EQ(deep.files, (std::vector<std::string>{
                            folder / ".$S$", folder / "a.$s$", folder / "b.$S$", folder / "f.$S$",
                            folder / "sub/d.$S$", folder / "LOG", folder / "none.$S$"}));
  EXPECT_EQ(deep.exitCode, 0);
  EXPECT_TRUE(sink.errors.empty());
  EXPECT_TRUE(sink.infos.empty());
}

struct BatchFixture {
  BatchFixture() { options.jobs = 1; }

  TempFolder folder;
  Options options;
  RecordingSink sink;
  std::function<bool()> interrupted = [] { return false; };
  std::vector<std::string> inputs;
  const PasswordKey key{kPassword};

  BatchJob Job() { return BatchJob{options, key.Context(), nullptr, interrupted, sink}; }
};

TEST(RunBatch, InterruptionBetweenFilesLeavesTheRestUntouched) {
  BatchFixture batch;
  batch.options.verbosity = Verbosity::Verbose;
  for (const char* name : {"1.$S$", "2.$S$", "3.$S$"}) {
    WriteLog(batch.folder / name);
    batch.inputs.push_back(batch.folder / name);
  }
  // The request arrives while the first file's result is reported (after the path's line).
  batch.interrupted = [&] {
    return std::any_of(batch.sink.infos.begin(), batch.sink.infos.end(),
                       [](const std::string& line) { return line.ends_with("復号しました。\n"); });
  };
  const BatchOutcome outcome = RunBatch(batch.Job(), batch.inputs);
  EXPECT_TRUE(outcome.interrupted);
  EXPECT_EQ(batch.folder.Names(), (std::vector<std::string>{"1.CSV", "2.$S$", "3.$S$"}));
}

TEST(RunBatch, InterruptionWithinAFileRemovesItsOutputAndKeepsItsInput) {
  BatchFixture batch;
  WriteLog(batch.folder / "1.$S$", 1 << 20);
  // Only the request within the file counts: none was there when the batch began.
  bool started = false;
  batch.interrupted = [&] { return std::exchange(started, true); };
  const BatchOutcome outcome = RunBatch(batch.Job(), {batch.folder / "1.$S$"});
  EXPECT_TRUE(outcome.interrupted);
  ASSERT_EQ(batch.sink.errors.size(), 1u);
  EXPECT_NE(batch.sink.errors[0].find("1.$S$: 中断しました。"), std::string::npos);
  EXPECT_EQ(batch.folder.Names(), std::vector<std::string>{"1.$S$"});
}

TEST(RunBatch, ShowsProgressOnlyForLargeFilesWhenVerbose) {
  struct Case {
    uint64_t size;
    Verbosity verbosity;
    bool shown;
  };
  const Case cases[] = {
      {kProgressThreshold, Verbosity::Verbose, true},
      {kProgressThreshold - 1, Verbosity::Verbose, false},
      {kProgressThreshold, Verbosity::Normal, false},
  };
  for (const Case& c : cases) {
    BatchFixture batch;
    batch.options.verbosity = c.verbosity;
    WriteLog(batch.folder / "big.$S$", c.size);
    EXPECT_EQ(RunBatch(batch.Job(), {batch.folder / "big.$S$"}).exitCode, 0);
    EXPECT_EQ(!batch.sink.progress.empty(), c.shown) << c.size;
    if (c.shown) {
      EXPECT_EQ(batch.sink.progress.back(),
                "vellunora-decode: " + batch.folder / "big.$S$" + ": 100%");
    }
  }
}

}  // namespace

// "f<i><extension>", appended piece by piece: GCC 12 warns falsely (-Wrestrict) on
// "f" + std::to_string(i).
std::string Numbered(int i, const char* extension) {
  std::string name = "f";
  name += std::to_string(i);
  name += extension;
  return name;
}

TEST(WorkerCount, FollowsJobsFilesAndStandardOutput) {
  struct Case {
    unsigned jobs;
    RunMode mode;
    size_t files;
    unsigned expected;
    unsigned perFile;
  };
  const Case cases[] = {
      {4, RunMode::Decrypt, 10, 4, 1},
      {4, RunMode::Decrypt, 3, 3, 1},
      {5, RunMode::Decrypt, 2, 2, 2},
      {4, RunMode::Decrypt, 1, 1, 4},
      {4, RunMode::Decrypt, 0, 1, 4},
      {1, RunMode::Decrypt, 10, 1, 1},
      {4, RunMode::CheckPassword, 10, 4, 1},
      {4, RunMode::CheckPassword, 1, 1, 1},
      {4, RunMode::ToStandardOutput, 10, 1, 1},
      {4, RunMode::ToStandardOutput, 1, 1, 1},
  };
  for (const Case& c : cases) {
    Options options;
    options.jobs = c.jobs;
    options.mode = c.mode;
    EXPECT_EQ(WorkerCount(options, c.files), c.expected) << c.jobs << " " << c.files;
    EXPECT_EQ(ThreadsPerFile(options, c.files), c.perFile) << c.jobs << " " << c.files;
  }
  Options cores;
  EXPECT_GE(WorkerCount(cores, 1000), 1u);
  EXPECT_LE(WorkerCount(cores, 2), 2u);
  EXPECT_GE(ThreadsPerFile(cores, 1), 1u);
}

TEST(RunBatch, OneLargeFileSharedByTwoThreadsGivesTheSameBytesAndFullProgress) {
  BatchFixture batch;
  batch.options.jobs = 2;
  batch.options.verbosity = Verbosity::Verbose;
  const auto cipher = MakeSampleLog(kPassword, 9 * 1024 * 1024 + 3, 7);
  WriteFileBytes(batch.folder / "big.$S$", cipher);
  EXPECT_EQ(RunBatch(batch.Job(), {batch.folder / "big.$S$"}).exitCode, kExitSuccess);
  EXPECT_EQ(ReadFileBytes(batch.folder / "big.CSV"), ReferenceDecrypt(kPassword, cipher));
  EXPECT_EQ(batch.folder.Names(), std::vector<std::string>{"big.CSV"});
  ASSERT_FALSE(batch.sink.progress.empty());
  EXPECT_EQ(batch.sink.progress.back(), "vellunora-decode: " + batch.folder / "big.$S$" + ": 100%");
}

TEST(RunBatch, ParallelWorkersDecryptEveryFileAndTheWorstExitCodeWins) {
  BatchFixture batch;
  batch.options.jobs = 3;
  std::vector<std::vector<uint8_t>> ciphers;
  for (int i = 0; i < 24; ++i) {
    const std::string name = Numbered(i, ".$S$");
    ciphers.push_back(MakeSampleLog(kPassword, 1000 + static_cast<size_t>(i) * 77,
                                    static_cast<uint32_t>(i)));
    WriteFileBytes(batch.folder / name, ciphers.back());
    batch.inputs.push_back(batch.folder / name);
  }
  WriteFileBytes(batch.folder / "wrong.$S$", MakeSampleLog("other", 64, 1));
  batch.inputs.push_back(batch.folder / "wrong.$S$");
  batch.inputs.push_back(batch.folder / "missing.$S$");

  const BatchOutcome outcome = RunBatch(batch.Job(), batch.inputs);
  EXPECT_EQ(outcome.exitCode, kExitWrongPassword);
  EXPECT_FALSE(outcome.interrupted);
  EXPECT_EQ(batch.sink.errors.size(), 2u);
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(ReadFileBytes(batch.folder / Numbered(i, ".CSV")),
              ReferenceDecrypt(kPassword, ciphers[static_cast<size_t>(i)]))
        << i;
  }
  EXPECT_EQ(ReadFileBytes(batch.folder / "wrong.$S$"), MakeSampleLog("other", 64, 1));
}

TEST(RunBatch, ParallelInterruptionStopsTakingFiles) {
  BatchFixture batch;
  batch.options.jobs = 2;
  for (int i = 0; i < 12; ++i) {
    const std::string name = Numbered(i, ".$S$");
    WriteLog(batch.folder / name, 200, static_cast<uint32_t>(i));
    batch.inputs.push_back(batch.folder / name);
  }
  std::atomic<int> asked{0};
  // Asked before each file and between buffers: the request comes after a few files.
  batch.interrupted = [&] { return ++asked > 8; };
  const BatchOutcome outcome = RunBatch(batch.Job(), batch.inputs);
  EXPECT_TRUE(outcome.interrupted);
  const auto names = batch.folder.Names();
  const auto csv = std::count_if(names.begin(), names.end(), [](const std::string& name) {
    return name.ends_with(".CSV");
  });
  const auto logs = std::count_if(names.begin(), names.end(), [](const std::string& name) {
    return name.ends_with(".$S$");
  });
  // Every file is either decrypted whole or untouched; none is both or neither.
  EXPECT_EQ(csv + logs, 12);
  EXPECT_LT(csv, 12);
  EXPECT_EQ(names.size(), 12u) << "no temporary file is left";
}
