// End-to-end tests of vellunora-decode: the built program, run with real files in temporary
// folders, its standard streams and exit status captured.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/blowfish_blocks.h"
#include "tests/support/child_process_posix.h"
#include "tests/support/fault_checks.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr char kPassword[] = "tokright";
constexpr char kDecoder[] = VELLUNORA_DECODE_PATH;

struct RunSetup {
  std::vector<std::string> args;
  std::vector<std::string> environment;  // NAME=VALUE; nothing is inherited, LC_ALL defaults
                                         // to C.UTF-8
  std::string standardInput;
  std::optional<rlim_t> fileSizeLimit;
  int error = -1;  // a descriptor to be standard error instead of a pipe read at the end
};

struct RunResult {
  int exitCode = -1;     // -1 when a signal ended the program
  int signalNumber = 0;  // the signal that ended it, else 0
  std::string out;
  std::string err;
};

// The decoder as a child process without a controlling terminal, so a prompt cannot reach
// whoever runs the tests. Killed and reaped if the test ends early.
class DecoderProcess {
 public:
  explicit DecoderProcess(RunSetup setup)
      : standardInput_(std::move(setup.standardInput)),
        child_({kDecoder, std::move(setup.args), WithLocale(std::move(setup.environment)),
                in_.read.get(), out_.write.get(), setup.error >= 0 ? setup.error : err_.write.get(),
                 setup.fileSizeLimit, nullptr}) {
    in_.read.Reset();
    out_.write.Reset();
    err_.write.Reset();
  }

  pid_t pid() const { return child_.pid(); }

  // Feeds standard input, collects both outputs until the program ends, and reaps it.
  RunResult Wait() {
    if (!standardInput_.empty()) {
      const ssize_t written = write(in_.write.get(), standardInput_.data(), standardInput_.size());
      EXPECT_EQ(written, static_cast<ssize_t>(standardInput_.size()));
    }
    in_.write.Reset();
    std::string out, err;
    std::vector<pollfd> open{{out_.read.get(), POLLIN, 0}, {err_.read.get(), POLLIN, 0}};
    while (!open.empty()) {
      poll(open.data(), open.size(), -1);
      for (size_t i = 0; i < open.size();) {
        if (open[i].revents == 0) {
          ++i;
          continue;
        }
        char buffer[65536];
        const ssize_t count = read(open[i].fd, buffer, sizeof buffer);
        if (count <= 0) {
          open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
          continue;
        }
        (open[i].fd == out_.read.get() ? out : err).append(buffer, static_cast<size_t>(count));
        ++i;
      }
    }
    const ChildEnd end = child_.Wait();
    return {end.exitCode, end.signalNumber, std::move(out), std::move(err)};
  }

 private:
  static std::vector<std::string> WithLocale(std::vector<std::string> environment) {
    const bool localeGiven =
        std::any_of(environment.begin(), environment.end(),
                    [](const std::string& entry) { return entry.starts_with("LC_ALL="); });
    if (!localeGiven) environment.push_back("LC_ALL=C.UTF-8");
    return environment;
  }

  // Declared before child_, which takes their ends as its standard streams.
  std::string standardInput_;
  Pipe in_ = MakePipe();
  Pipe out_ = MakePipe();
  Pipe err_ = MakePipe();
  ChildProcess child_;
};

RunResult RunDecoder(RunSetup setup) { return DecoderProcess(std::move(setup)).Wait(); }

RunResult RunWithPassword(std::vector<std::string> args, std::string password = kPassword) {
  return RunDecoder({std::move(args), {"VELLUNORA_PASSWORD=" + password}, "", std::nullopt});
}

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<uint8_t> Log(size_t length, uint32_t seed, std::string_view password = kPassword) {
  return MakeSampleLog(password, length, seed);
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// A log file written into folder; remembers what decrypting it must give.
struct LogFile {
  std::string path;
  std::vector<uint8_t> cipher;
  std::vector<uint8_t> plain;
};

LogFile WriteLog(const TempFolder& folder, std::string_view name, size_t length = 1000,
                 uint32_t seed = 1, std::string_view password = kPassword) {
  LogFile log{folder / name, Log(length, seed, password), {}};
  log.plain = ReferenceDecrypt(password, log.cipher);
  WriteFileBytes(log.path, log.cipher);
  return log;
}

TEST(VellunoraDecode, DecryptsIntoCsvBesideInputAndDeletesInput) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "LOG0001.$S$", 1001);
  const RunResult run = RunWithPassword({log.path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadFileBytes(folder / "LOG0001.CSV"), log.plain);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"LOG0001.CSV"});
}

TEST(VellunoraDecode, KeepLeavesInputInPlace) {
  for (const char* keep : {"-k", "--keep"}) {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$");
    EXPECT_EQ(RunWithPassword({keep, log.path}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(log.path), log.cipher) << keep;
    EXPECT_EQ(ReadFileBytes(folder / "a.CSV"), log.plain) << keep;
  }
}

TEST(VellunoraDecode, NoSyncGivesTheSameOutput) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "a.$S$", 70000);
  EXPECT_EQ(RunWithPassword({"--no-sync", log.path}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(folder / "a.CSV"), log.plain);
  EXPECT_FALSE(Exists(log.path));
}

TEST(VellunoraDecode, JobsGiveTheSameOutputsAsOneAtATime) {
  for (const char* jobs : {"1", "2", "4"}) {
    TempFolder folder;
    std::vector<LogFile> logs;
    for (uint32_t i = 0; i < 12; ++i) {
      std::string name = "L";
      name += std::to_string(i);
      name += ".$S$";
      logs.push_back(WriteLog(folder, name, 5000 + i * 313, i));
    }
    const RunResult run = RunWithPassword({"-j", jobs, folder.path()});
    EXPECT_EQ(run.exitCode, 0) << jobs << run.err;
    for (uint32_t i = 0; i < 12; ++i) {
      std::string name = "L";
      name += std::to_string(i);
      name += ".CSV";
      EXPECT_EQ(ReadFileBytes(folder / name), logs[i].plain) << jobs << " " << name;
    }
    EXPECT_EQ(folder.Names().size(), 12u) << "inputs deleted, no temporary file left";
  }
  EXPECT_EQ(RunWithPassword({"-j", "0", "x.$S$"}).exitCode, 1);
}

enum class Kind { Good, WrongPassword, Missing, Empty };

TEST(VellunoraDecode, ExitStatusIsTheHighestOfTheBatch) {
  struct Case {
    std::vector<Kind> files;
    int exitCode;
  };
  const Case cases[] = {
      {{Kind::Good, Kind::Good}, 0},
      {{Kind::Good, Kind::Missing}, 1},
      {{Kind::Empty, Kind::Good}, 1},
      {{Kind::WrongPassword}, 2},
      {{Kind::WrongPassword, Kind::Missing, Kind::Good}, 2},
      {{Kind::Missing, Kind::WrongPassword}, 2},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    std::vector<std::string> args;
    std::vector<LogFile> good;
    for (size_t i = 0; i < c.files.size(); ++i) {
      std::string name(1, static_cast<char>('a' + i));
      name += ".$S$";
      switch (c.files[i]) {
        case Kind::Good:
          good.push_back(WriteLog(folder, name, 64, static_cast<uint32_t>(i)));
          break;
        case Kind::WrongPassword:
          WriteLog(folder, name, 64, 9, "another");
          break;
        case Kind::Empty:
          WriteFileBytes(folder / name, {});
          break;
        case Kind::Missing:
          break;
      }
      args.push_back(folder / name);
    }
    const RunResult run = RunWithPassword(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    // A failed file never stops the batch: every good file is done.
    for (const LogFile& log : good) {
      EXPECT_EQ(ReadFileBytes(log.path.substr(0, log.path.size() - 4) + ".CSV"), log.plain);
    }
  }
}

TEST(VellunoraDecode, EachFailureIsOneLineNamingFileAndReason) {
  using Prepare = void (*)(const TempFolder&, const std::string& path);
  struct Case {
    const char* name;
    const char* reason;
    int exitCode;
    bool force;
    Prepare prepare;
    const char* shown = nullptr;  // the name as the line shows it, when not as it is
  };
  const Case cases[] = {
      {"wrong.$S$", "パスワードが違います。", 2, false,
       [](const TempFolder&, const std::string& p) { WriteFileBytes(p, Log(64, 1, "x")); }},
      // A line break in a name must not start a line of its own.
      {"forged\nvellunora-decode: ok.$S$", "パスワードが違います。", 2, false,
       [](const TempFolder&, const std::string& p) { WriteFileBytes(p, Log(64, 1, "x")); },
       "forged\\x0Avellunora-decode: ok.$S$"},
      {"empty.$S$", "ファイルが空です。", 1, false,
       [](const TempFolder&, const std::string& p) { WriteFileBytes(p, {}); }},
      {"missing.$S$", "ファイルがありません。", 1, false,
       [](const TempFolder&, const std::string&) {}},
      {"exists.$S$", "exists.CSV がすでにあります", 1, false,
       [](const TempFolder& f, const std::string& p) {
         WriteFileBytes(p, Log(64, 1));
         WriteFileBytes(f / "exists.CSV", std::vector<uint8_t>{'o', 'l', 'd'});
       }},
      {"dir.$S$", "dir.CSV に書けません", 1, true,
       [](const TempFolder& f, const std::string& p) {
         WriteFileBytes(p, Log(64, 1));
         mkdir((f / "dir.CSV").c_str(), 0777);
       }},
      // The output would be the input itself.
      {"same.CSV", "same.CSV に書けません", 1, true,
       [](const TempFolder&, const std::string& p) { WriteFileBytes(p, Log(64, 1)); }},
      // Opened as a log, a FIFO without a writer would block the run for ever.
      {"fifo.$S$", "通常のファイルではありません。", 1, false,
       [](const TempFolder&, const std::string& p) { mkfifo(p.c_str(), 0600); }},
      {"device.$S$", "通常のファイルではありません。", 1, false,
       [](const TempFolder&, const std::string& p) { symlink("/dev/zero", p.c_str()); }},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string path = folder / c.name;
    c.prepare(folder, path);
    const auto before = folder.Names();
    std::vector<std::string> args{path};
    if (c.force) args.push_back("-f");
    const RunResult run = RunWithPassword(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(folder / (c.shown ? c.shown : c.name) + ": "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.Names(), before) << c.name;
  }
}

// Outputs are worked out for the whole run first: two inputs that would write one output are
// both refused (with -f the second would replace what the first just made, and both inputs
// would go), and a file named twice is decrypted once.
TEST(VellunoraDecode, InputsSharingAnOutputAreRefusedAndAFileIsTakenOnce) {
  struct Case {
    const char* what;
    std::vector<std::string> names;  // files made in the folder, one subfolder level at most
    std::vector<std::string> args;   // before the paths; "@name" is the path of that file
    int exitCode;
    int refused;  // lines saying that two inputs share an output
  };
  const Case cases[] = {
      {"two folders, one output folder, -r -f", {"a/LOG.$S$", "b/LOG.$S$"},
       {"-r", "-f", "-o", "@out", "@a", "@b"}, 1, 2},
      {"two folders with -j 2", {"a/LOG.$S$", "b/LOG.$S$"},
       {"-j", "2", "-f", "-o", "@out", "@a/LOG.$S$", "@b/LOG.$S$"}, 1, 2},
      {"extensions of other letter case in one folder", {"a/LOG.$S$", "a/LOG.$s$"},
       {"-f", "@a"}, 1, 2},
      {"one file named twice", {"a/ONE.$S$"}, {"@a/ONE.$S$", "@a/ONE.$S$"}, 0, 0},
      {"one file under two names", {"a/ONE.$S$"}, {"@a/ONE.$S$", "@a/../a/ONE.$S$"}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    mkdir((folder / "a").c_str(), 0777);
    mkdir((folder / "b").c_str(), 0777);
    mkdir((folder / "out").c_str(), 0777);
    std::vector<LogFile> logs;
    for (size_t i = 0; i < c.names.size(); ++i) {
      logs.push_back(WriteLog(folder, c.names[i], 1000 + i * 100, static_cast<uint32_t>(i + 1)));
    }
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(arg[0] == '@' ? folder / arg.substr(1) : arg);
    const RunResult run = RunWithPassword(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    const std::string refusal = "と同じ出力ファイル";
    int refused = 0;
    for (size_t at = run.err.find(refusal); at != std::string::npos; at = run.err.find(refusal, at + 1)) {
      ++refused;
    }
    EXPECT_EQ(refused, c.refused) << run.err;
    if (c.refused > 0) {
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.refused) << run.err;
      for (const LogFile& log : logs) EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
      EXPECT_TRUE(std::filesystem::is_empty(folder / "out"));
    } else {
      EXPECT_EQ(run.err, "");
      EXPECT_FALSE(Exists(logs[0].path));
      EXPECT_EQ(ReadFileBytes(folder / "a/ONE.CSV"), logs[0].plain);
    }
  }
}

TEST(VellunoraDecode, LockedInputIsReportedUnreadableAndKept) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "busy.$S$");
  const int holder = open(log.path.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  const RunResult run = RunWithPassword({log.path});
  close(holder);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(log.path + ": 復号に失敗しました。ファイルを読めません"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"busy.$S$"});
}

TEST(VellunoraDecode, WriteBeyondFileSizeLimitFailsCleanlyInsteadOfKilling) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "big.$S$", 200000);
  RunSetup setup{{log.path}, {std::string("VELLUNORA_PASSWORD=") + kPassword}, "", 65536};
  const RunResult run = RunDecoder(setup);
  EXPECT_EQ(run.signalNumber, 0);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("big.CSV に書けません（" + std::string(strerror(EFBIG))),
            std::string::npos)
      << run.err;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"big.$S$"});
  EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
}

TEST(VellunoraDecode, ExistingOutputIsRefusedUnlessForced) {
  const std::vector<uint8_t> old{'o', 'l', 'd', '\n'};
  {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$");
    WriteFileBytes(folder / "a.CSV", old);
    EXPECT_EQ(RunWithPassword({log.path}).exitCode, 1);
    EXPECT_EQ(ReadFileBytes(folder / "a.CSV"), old);
    EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
  }
  for (const char* force : {"-f", "--force"}) {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$");
    WriteFileBytes(folder / "a.CSV", old);
    EXPECT_EQ(RunWithPassword({force, log.path}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(folder / "a.CSV"), log.plain);
    EXPECT_FALSE(Exists(log.path));
  }
}

TEST(VellunoraDecode, StdoutCarriesExactlyTheDecryptedBytesAndKeepsInputs) {
  TempFolder folder;
  const LogFile first = WriteLog(folder, "1.$S$", 17, 1);
  const LogFile second = WriteLog(folder, "2.$S$", 300001, 2);
  const RunResult run = RunWithPassword({"-c", first.path, second.path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, Text(first.plain) + Text(second.plain));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"1.$S$", "2.$S$"}));
}

// "-c a b 1<>b": the plaintext of a would overwrite b before b's turn came.
TEST(VellunoraDecode, StdoutOntoAnyInputRefusesTheRunBeforeWriting) {
  TempFolder folder;
  const LogFile first = WriteLog(folder, "a.$S$", 8000, 1);
  const LogFile second = WriteLog(folder, "b.$S$", 8000, 2);
  const int output = open(second.path.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(output, 0);
  ChildProcess decoder({kDecoder, {"-c", first.path, second.path},
                        {"VELLUNORA_PASSWORD=" + std::string(kPassword), "LC_ALL=C.UTF-8"}, -1,
                        output, -1, std::nullopt, nullptr});
  close(output);
  EXPECT_EQ(decoder.Wait().exitCode, 1);
  EXPECT_EQ(ReadFileBytes(second.path), second.cipher);
  EXPECT_EQ(ReadFileBytes(first.path), first.cipher);
}

// Standard output that takes no more bytes (a full disk, a reader that has gone as with
// "| head -c 10") fails the file at hand once and leaves the files after it: their bytes would
// follow a gap. Closed ("1>&-"), it refuses the run. Nothing is deleted with -c.
TEST(VellunoraDecode, StdoutThatTakesNoMoreEndsTheRunAtTheFirstFailure) {
  enum class Output { Full, Broken, Closed };
  struct Case {
    const char* what;
    Output output;
    std::vector<std::string> lines;  // what each line of standard error says, in order
  };
  const std::string left = "標準出力に書けないため、残りの 2 個のファイルは処理しません。";
  const Case cases[] = {
      {"a full disk", Output::Full, {": 復号に失敗しました。標準出力 に書けません", left}},
      {"a reader that has gone", Output::Broken, {": 復号に失敗しました。標準出力 に書けません", left}},
      {"closed", Output::Closed, {"標準出力が閉じているため、-c で復号したものを書けません。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    std::vector<LogFile> logs;
    for (const char* name : {"1.$S$", "2.$S$", "3.$S$"}) logs.push_back(WriteLog(folder, name, 9000));
    Pipe broken = MakePipe();
    broken.read.Reset();
    Descriptor full(open("/dev/full", O_WRONLY | O_CLOEXEC));
    const int output = c.output == Output::Full     ? full.get()
                       : c.output == Output::Broken ? broken.write.get()
                                                    : kClosedStream;
    TempFolder elsewhere;
    const std::string errorPath = elsewhere / "err";
    Descriptor error(open(errorPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    ChildProcess decoder({kDecoder, {"-c", logs[0].path, logs[1].path, logs[2].path},
                          {"VELLUNORA_PASSWORD=" + std::string(kPassword), "LC_ALL=C.UTF-8"}, -1,
                          output, error.get(), std::nullopt, nullptr});
    EXPECT_EQ(decoder.Wait().exitCode, 1);
    const std::vector<std::string> lines = SplitLines(Text(ReadFileBytes(errorPath)));
    ASSERT_EQ(lines.size(), c.lines.size()) << testing::PrintToString(lines);
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_NE(lines[i].find(c.lines[i]), std::string::npos) << lines[i];
    }
    for (const LogFile& log : logs) EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
  }
}

TEST(VellunoraDecode, TestModeWritesAndDeletesNothing) {
  TempFolder folder;
  const LogFile good = WriteLog(folder, "good.$S$");
  WriteLog(folder, "bad.$S$", 64, 3, "other");
  const auto before = folder.Names();
  EXPECT_EQ(RunWithPassword({"-t", good.path}).exitCode, 0);
  const RunResult both = RunWithPassword({"--test", "-v", folder.path()});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_NE(both.err.find(good.path + ": パスワードは正しいです。"), std::string::npos) << both.err;
  EXPECT_NE(both.err.find(folder / "bad.$S$: パスワードが違います。"), std::string::npos);
  EXPECT_EQ(both.out, "");
  EXPECT_EQ(folder.Names(), before);
  EXPECT_EQ(ReadFileBytes(good.path), good.cipher);
}

// -t with -o is a dry run of the whole: each password, and whether the output folder can take
// a new file. Every check is made and reported, whatever another one found.
TEST(VellunoraDecode, TestModeWithOutputFolderChecksTheFolderToo) {
  struct Case {
    const char* what;
    std::string output;     // "@name": that folder in the test's folder
    std::string password;   // the run's
    const char* folderLine;  // after the folder's name
    int exitCode;
  };
  const Case cases[] = {
      {"a folder that can take a file", "@out", kPassword, " に新しいファイルを作れます。", 0},
      {"wrong password", "@out", "other", " に新しいファイルを作れます。", 2},
      // No file can be made there, even by root.
      {"a folder of the kernel's", "/proc", kPassword, " に新しいファイルを作れません（", 1},
      {"no such folder", "@none", kPassword, " がありません。", 1},
      {"a file", "@good.$S$", "other", " はフォルダーではありません。", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    mkdir((folder / "out").c_str(), 0777);
    const LogFile good = WriteLog(folder, "good.$S$");
    const std::string output = c.output[0] == '@' ? folder / c.output.substr(1) : c.output;
    const auto before = folder.Names();
    const RunResult run = RunWithPassword({"-t", "-v", "-o", output, good.path}, c.password);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    const std::string folderLine = "vellunora-decode: 出力先" +
                                   std::string(c.output == "@good.$S$" ? " " : "フォルダー ") +
                                   output + c.folderLine;
    EXPECT_TRUE(run.err.starts_with(folderLine)) << run.err;
    EXPECT_NE(run.err.find(good.path + (c.password == kPassword ? ": パスワードは正しいです。"
                                                                 : ": パスワードが違います。")),
              std::string::npos)
        << run.err;
    EXPECT_EQ(folder.Names(), before);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "out"));
  }
}

TEST(VellunoraDecode, OutputOptionPutsOutputsInThatFolder) {
  TempFolder in, out;
  const LogFile log = WriteLog(in, "a.$S$");
  EXPECT_EQ(RunWithPassword({"-o", out.path(), log.path}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(out / "a.CSV"), log.plain);
  EXPECT_TRUE(in.Names().empty());

  const LogFile again = WriteLog(in, "b.$S$");
  EXPECT_EQ(RunWithPassword({"--output=" + out.path() + "/", again.path}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(out / "b.CSV"), again.plain);
}

TEST(VellunoraDecode, MissingOutputFolderIsAUsageErrorThatTouchesNothing) {
  struct Case {
    const char* name;  // what -o names in the folder
    const char* said;  // after the name
  };
  for (const Case& c : {Case{"nowhere", " がありません。"}, Case{"a.$S$", " はフォルダーではありません。"}}) {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$");
    const RunResult run = RunWithPassword({"-o", folder / c.name, log.path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(folder / c.name + c.said), std::string::npos) << run.err;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.$S$"});
  }
}

TEST(VellunoraDecode, FolderArgumentTakesItsLogFilesAndRecursiveTheSubfolders) {
  TempFolder folder;
  WriteLog(folder, "a.$S$", 64, 1);
  WriteLog(folder, "b.$s$", 64, 2);
  WriteFileBytes(folder / "note.txt", std::vector<uint8_t>{'x'});
  mkdir((folder / "sub").c_str(), 0777);
  WriteLog(folder, "sub/c.$S$", 64, 3);

  EXPECT_EQ(RunWithPassword({folder.path()}).exitCode, 0);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.CSV", "b.CSV", "note.txt", "sub"}));
  EXPECT_TRUE(Exists(folder / "sub/c.$S$"));

  EXPECT_EQ(RunWithPassword({"-r", folder.path()}).exitCode, 0);
  EXPECT_TRUE(Exists(folder / "sub/c.CSV"));
  EXPECT_FALSE(Exists(folder / "sub/c.$S$"));
}

TEST(VellunoraDecode, FolderWithoutLogFilesIsNotedUnlessQuiet) {
  TempFolder folder;
  const RunResult normal = RunWithPassword({folder.path()});
  EXPECT_EQ(normal.exitCode, 0);
  EXPECT_NE(normal.err.find("*.$S$ ファイルがありません"), std::string::npos) << normal.err;
  const RunResult quiet = RunWithPassword({"-q", folder.path()});
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.err, "");
}

TEST(VellunoraDecode, VerboseNamesTheCipherPathOnceThenEachFile) {
  std::vector<std::string> available;
  for (BlowfishPath path : kBlowfishPaths) {
    if (BlowfishPathAvailable(path)) available.emplace_back(BlowfishPathName(path));
  }
  struct Case {
    std::string setting;  // VELLUNORA_BLOWFISH_PATH, unset when empty
    std::string shown;    // the path named, or "" for whichever measured fastest
  };
  const Case cases[] = {
      {"portable", "portable"}, {"", ""}, {"fastest", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    TempFolder folder;
    const LogFile first = WriteLog(folder, "a.$S$");
    const LogFile second = WriteLog(folder, "b.$S$", 64, 2);
    std::vector<std::string> environment{"VELLUNORA_PASSWORD=" + std::string(kPassword)};
    if (!c.setting.empty()) environment.push_back("VELLUNORA_BLOWFISH_PATH=" + c.setting);
    const RunResult run = RunDecoder({{"-v", "-k", "-j", "1", folder.path()}, environment, "", {}});
    EXPECT_EQ(run.exitCode, 0);
    const std::string prefix = "vellunora-decode: 復号の方式: ";
    ASSERT_TRUE(run.err.starts_with(prefix)) << run.err;
    const std::string shown = run.err.substr(prefix.size(), run.err.find('\n') - prefix.size());
    if (!c.shown.empty()) {
      EXPECT_EQ(shown, c.shown);
    }
    EXPECT_NE(std::find(available.begin(), available.end(), shown), available.end()) << shown;
    EXPECT_EQ(run.err.substr(run.err.find('\n') + 1),
              "vellunora-decode: " + first.path + " -> " + folder / "a.CSV" + ": 復号しました。\n" +
                  "vellunora-decode: " + second.path + " -> " + folder / "b.CSV" +
                  ": 復号しました。\n");
    EXPECT_EQ(ReadFileBytes(folder / "b.CSV"), second.plain);
  }
}

TEST(VellunoraDecode, QuietStillReportsFailures) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "a.$S$");
  const RunResult quiet = RunWithPassword({"-q", log.path, folder / "gone.$S$"});
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_NE(quiet.err.find("gone.$S$"), std::string::npos);
}

TEST(VellunoraDecode, PasswordComesFromFileStandardInputOrEnvironmentInThatOrder) {
  struct Case {
    const char* description;
    std::string fileContent;  // written to pw.txt when not empty
    std::vector<std::string> args;
    std::string standardInput;
    std::vector<std::string> environment;
    std::string logPassword = kPassword;
  };
  const std::string right = kPassword;
  const std::string mark = "\xEF\xBB\xBF";
  // "パスワード" as the dialog digests it, and as a UTF-8 editor saves it.
  const std::string cp932 = "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68";
  const std::string utf8 = "パスワード";
  // "ﾃｽ" in code page 932 happens to be valid UTF-8 ("ý"): only the option reads it right.
  const std::string katakana = "\xC3\xBD";
  const Case cases[] = {
      {"file in code page 932", cp932 + "\r\n", {"-p", "PWFILE"}, "", {}, cp932},
      {"file in UTF-8 without a mark", utf8 + "\n", {"-p", "PWFILE"}, "", {}, cp932},
      {"file in UTF-8, named", mark + utf8, {"-p", "PWFILE", "--password-encoding=utf-8"}, "", {},
       cp932},
      {"file in code page 932, named", katakana, {"-p", "PWFILE", "--password-encoding", "CP932"},
       "", {}, katakana},
      {"standard input in code page 932", "", {"-p", "-"}, cp932 + "\n", {}, cp932},
      {"environment in code page 932", "", {}, "", {"VELLUNORA_PASSWORD=" + cp932}, cp932},
      {"environment in UTF-8, named", "", {"--password-encoding", "utf-8"}, "",
       {"VELLUNORA_PASSWORD=" + utf8}, cp932},
      {"file, LF", right + "\nsecond line\n", {"-p", "PWFILE"}, "", {}},
      {"file, CRLF", right + "\r\n", {"--password-file", "PWFILE"}, "", {}},
      {"file, byte-order mark", mark + right + "\r\n", {"-p", "PWFILE"}, "", {}},
      {"standard input, byte-order mark", "", {"-p", "-"}, mark + right + "\n", {}},
      {"standard input, empty line", "", {"-p", "-"}, "\n", {}, ""},
      {"file, no line break", right, {"-p", "PWFILE"}, "", {}},
      {"file before environment", right + "\n", {"-p", "PWFILE"}, "", {"VELLUNORA_PASSWORD=x"}},
      {"standard input", "", {"-p", "-"}, right + "\r\nrest", {}},
      {"environment", "", {}, "", {"VELLUNORA_PASSWORD=" + right}},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$", 1000, 1, c.logPassword);
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(arg == "PWFILE" ? folder / "pw.txt" : arg);
    if (!c.fileContent.empty()) {
      WriteFileBytes(folder / "pw.txt",
                     std::vector<uint8_t>(c.fileContent.begin(), c.fileContent.end()));
    }
    args.push_back(log.path);
    const RunResult run = RunDecoder({args, c.environment, c.standardInput, std::nullopt});
    EXPECT_EQ(run.exitCode, 0) << c.description << ": " << run.err;
    EXPECT_EQ(ReadFileBytes(folder / "a.CSV"), log.plain) << c.description;
  }
}

// A run holds the key made from the password, never the password's text: wherever it came
// from, no piece of it is left in the memory of a run stopped while it writes.
TEST(VellunoraDecode, NoMemoryOfARunHoldsThePasswordText) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own copies and terabytes of shadow memory say nothing of the "
                  "program users run";
#endif
  struct Case {
    const char* source;
    std::vector<std::string> options;  // before the log's path
    std::vector<std::string> environment;
  };
  // Long enough that library copies move it through vector registers.
  const std::string password = "LongSecretPassphrase-abcdefghij-0123456789xyz";
  const Case cases[] = {
      {"file", {"-c", "-p", "pw"}, {}},
      {"standard input", {"-c", "-p", "-"}, {}},
      {"environment", {"-c"}, {"VELLUNORA_PASSWORD=" + password}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$", 4 * 1024 * 1024, 1, password);
    WriteFileBytes(folder / "pw", std::vector<uint8_t>(password.begin(), password.end()));
    // Short paths, as typed in the folder: longer ones, copied after the key is made, would
    // happen to overwrite what a copy of the password left in a register.
    std::vector<std::string> args = c.options;
    args.push_back("a.$S$");
    const Descriptor input(open((folder / "pw").c_str(), O_RDONLY | O_CLOEXEC));
    // Nobody reads its standard output: it waits there, keyed, once it has written.
    const Pipe unread = MakePipe();
    ChildProcess decoder({kDecoder, args, c.environment, input.get(), unread.write.get(), -1,
                          std::nullopt, nullptr, folder.path()});
    // Its output fills the pipe only after the key is made and the password wiped.
    const int capacity = fcntl(unread.read.get(), F_GETPIPE_SZ);
    ASSERT_GT(capacity, 0);
    int queued = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (queued < capacity) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "it never waited to write";
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ASSERT_EQ(ioctl(unread.read.get(), FIONREAD, &queued), 0);
    }
    kill(decoder.pid(), SIGSTOP);
    int status = 0;
    ASSERT_EQ(waitpid(decoder.pid(), &status, WUNTRACED), decoder.pid());
    for (const std::string& piece : {password.substr(0, 16), password.substr(password.size() - 16)}) {
      const std::optional<bool> held = MemoryHolds(decoder.pid(), piece);
      if (!held) GTEST_SKIP() << "the memory of another process cannot be read here";
      EXPECT_FALSE(*held) << piece;
    }
    decoder.Kill();
  }
}

TEST(VellunoraDecode, UnreadablePasswordFileIsAClearError) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "a.$S$");
  const RunResult run = RunDecoder({{"-p", folder / "none.txt", log.path}, {}, "", std::nullopt});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("パスワードのファイル " + folder / "none.txt" + " を読めません"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
}

TEST(VellunoraDecode, JapanesePasswordIsDigestedAsCodePage932InEveryLocale) {
  // "パスワード～" in code page 932, as the dialog holds it; ～ is U+FF5E -> 81 60.
  const std::string cp932 = "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68\x81\x60";
  const std::string utf8 = "パスワード～";
  for (const char* locale : {"C", "POSIX", "C.UTF-8", "ja_JP.UTF-8"}) {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "jp.$S$", 100, 4, cp932);
    const RunResult run =
        RunDecoder({{log.path},
                    {std::string("LC_ALL=") + locale, "VELLUNORA_PASSWORD=" + utf8},
                    "",
                    std::nullopt});
    EXPECT_EQ(run.exitCode, 0) << locale << ": " << run.err;
    EXPECT_EQ(ReadFileBytes(folder / "jp.CSV"), log.plain) << locale;
  }
}

TEST(VellunoraDecode, PasswordThatCannotBeUsedIsAClearError) {
  struct Case {
    std::string password;  // in the environment, or with -p on standard input
    std::string message;   // PWFILE: the path of an empty file
    std::vector<std::string> args = {};
    bool hinted = false;  // a second line names --password-encoding
  };
  const Case cases[] = {
      {"pass\xF0\x9F\x98\x80", "パスワードの文字 U+1F600 はコードページ932で表せません。", {}, true},
      // Not UTF-8, so taken as code page 932, where 0xFF is no character either.
      {"pass\xFF", "パスワードが、コードページ932の文字として正しくありません。", {}, true},
      {"\x83\x70\x83", "パスワードが、コードページ932の文字として正しくありません。", {}, true},
      {"\x83\x70\x83\x58\n", "パスワードが、UTF-8 の文字として正しくありません。",
       {"-p", "-", "--password-encoding", "utf-8"}, true},
      {"", "標準入力からパスワードを読めません（空です）。", {"-p", "-"}},
      {"\xEF\xBB\xBF", "標準入力からパスワードを読めません（空です）。", {"-p", "-"}},
      // Only the mark that starts the input is skipped.
      {"\xEF\xBB\xBF\xEF\xBB\xBFpw\n", "パスワードの文字 U+FEFF はコードページ932で表せません。",
       {"-p", "-"}, true},
      {"", "パスワードのファイル PWFILE を読めません（空です）。", {"-p", "PWFILE"}},
  };
  for (const Case& c : cases) {
    TempFolder folder, passwordFolder;
    const LogFile log = WriteLog(folder, "a.$S$");
    const std::string passwordFile = passwordFolder / "pw.txt";
    WriteFileBytes(passwordFile, {});
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(arg == "PWFILE" ? passwordFile : arg);
    args.push_back(log.path);
    std::string message = c.message;
    if (const size_t at = message.find("PWFILE"); at != std::string::npos) {
      message.replace(at, 6, passwordFile);
    }
    const RunResult run = c.args.empty() ? RunWithPassword(args, c.password)
                                         : RunDecoder({args, {}, c.password, std::nullopt});
    std::string expected = "vellunora-decode: " + message + "\n";
    if (c.hinted) {
      expected += "vellunora-decode: パスワードの文字コードは --password-encoding で選べます"
                  "（auto、utf-8、cp932）。\n";
    }
    EXPECT_EQ(run.exitCode, 1) << message;
    EXPECT_EQ(run.err, expected);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.$S$"});
  }
}

TEST(VellunoraDecode, NoPasswordSourceAndNoTerminalIsAClearError) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "a.$S$");
  const RunResult run = RunDecoder({{log.path}, {}, "", std::nullopt});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("パスワードがありません。"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
}

// Starts the program on a terminal of its own, with no password in its environment; master
// is the test's side of the terminal.
pid_t StartOnTerminal(std::vector<std::string> args, int& master) {
  std::vector<std::string> argv{kDecoder};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> envp{"LC_ALL=C.UTF-8"};
  std::vector<char*> argPointers = PointersTo(argv);
  std::vector<char*> envPointers = PointersTo(envp);
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execve(kDecoder, argPointers.data(), envPointers.data());
    _exit(127);
  }
  return pid;
}

// Waits for the program to end; one that hangs is killed, so the test fails instead.
int WaitForExit(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the program hangs";
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(1000);
  }
  return status;
}

// Reads what the program writes to its terminal until text appears or the terminal closes.
std::string ReadTerminalUntil(int master, std::string_view text) {
  std::string seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (seen.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd waiting{master, POLLIN, 0};
    if (poll(&waiting, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t count = read(master, buffer, sizeof buffer);
    if (count <= 0) break;
    seen.append(buffer, static_cast<size_t>(count));
  }
  return seen;
}

TEST(VellunoraDecode, PromptsOnTheTerminalWithoutEchoAndShowsProgress) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "big.$S$", 6 * 1024 * 1024 + 3);
  int master = -1;
  const pid_t pid = StartOnTerminal({"-v", log.path}, master);
  ASSERT_GE(pid, 0);
  const std::string prompt = ReadTerminalUntil(master, "パスワード: ");
  ASSERT_NE(prompt.find("パスワード: "), std::string::npos) << prompt;
  const std::string typed = std::string(kPassword) + "\n";
  ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  const std::string rest = ReadTerminalUntil(master, "\x01");
  close(master);
  const int status = WaitForExit(pid);

  EXPECT_EQ(EndOf(status).exitCode, 0) << rest;
  EXPECT_EQ(rest.find(kPassword), std::string::npos) << "the password was echoed: " << rest;
  EXPECT_NE(rest.find("100%"), std::string::npos) << rest;
  EXPECT_NE(rest.find("復号しました。"), std::string::npos) << rest;
  EXPECT_EQ(ReadFileBytes(folder / "big.CSV"), log.plain);
}

TEST(VellunoraDecode, CtrlCAtThePromptRestoresTheEchoAndDiesOfSigint) {
  TempFolder folder;
  const LogFile log = WriteLog(folder, "a.$S$");
  int master = -1;
  const pid_t pid = StartOnTerminal({log.path}, master);
  ASSERT_GE(pid, 0);
  const std::string prompt = ReadTerminalUntil(master, "パスワード: ");
  ASSERT_NE(prompt.find("パスワード: "), std::string::npos) << prompt;
  termios during{};
  ASSERT_EQ(tcgetattr(master, &during), 0);
  EXPECT_EQ(during.c_lflag & ECHO, 0u);
  // The terminal's interrupt character, as a user's Ctrl-C.
  ASSERT_EQ(write(master, "\x03", 1), 1);
  const int status = WaitForExit(pid);
  termios after{};
  ASSERT_EQ(tcgetattr(master, &after), 0);
  close(master);

  EXPECT_EQ(EndOf(status).signalNumber, SIGINT);
  EXPECT_NE(after.c_lflag & ECHO, 0u);
  EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
}

class VellunoraDecodeInterrupt : public testing::TestWithParam<int> {};

// The signal arrives while the file is being written: the held output goes, the input
// stays as it was, and the program dies of that signal as if it had not handled it.
TEST_P(VellunoraDecodeInterrupt, RemovesPartialOutputKeepsInputAndDiesOfTheSignal) {
  const int signalNumber = GetParam();
  TempFolder folder;
  const std::string input = folder / "huge.$S$";
  const std::vector<uint8_t> cipher = Log(48 * 1024 * 1024, 5);
  WriteFileBytes(input, cipher);
  DecoderProcess decoder(
      {{input}, {std::string("VELLUNORA_PASSWORD=") + kPassword}, "", std::nullopt});

  // Catch the program with its temporary output open, stop it there, and let the signal
  // wait for it, so the test does not depend on timing.
  bool caught = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!caught && std::chrono::steady_clock::now() < deadline) {
    caught = IsWritingAnOutputIn(decoder.pid(), folder.path());
  }
  ASSERT_TRUE(caught) << "no output was being written";
  kill(decoder.pid(), SIGSTOP);
  int status = 0;
  ASSERT_EQ(waitpid(decoder.pid(), &status, WUNTRACED), decoder.pid());
  ASSERT_TRUE(WIFSTOPPED(status)) << "the file was done before it could be interrupted";
  kill(decoder.pid(), signalNumber);
  kill(decoder.pid(), SIGCONT);

  const RunResult run = decoder.Wait();
  EXPECT_EQ(run.signalNumber, signalNumber) << run.err;
  EXPECT_NE(run.err.find(input + ": 中断しました。"), std::string::npos) << run.err;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"huge.$S$"});
  EXPECT_TRUE(ReadFileBytes(input) == cipher);
}

// A run waiting on a FIFO that nobody writes (here the password file), or on a pipe that nobody
// reads (standard output with -c, or standard error full of -v lines from two workers; the test
// reads nothing until the program has ended), ends on a termination request like any other
// run, and has touched nothing it was not done with.
TEST(VellunoraDecode, TerminationEndsARunWaitingOnAFifoOrAPipe) {
  struct Case {
    const char* what;
    std::vector<std::string> options;  // before the log's path
    size_t namedBefore = 0;  // logs with long names, decrypted before it: lines enough to fill a pipe
    bool stoppedTerminal = false;  // standard error a terminal stopped with Ctrl-S
  };
  const Case cases[] = {
      {"a password file that is a FIFO", {"-p", "@password"}},
      {"standard output that nobody reads", {"-c"}},
      {"standard error that nobody reads, two workers", {"-v", "-k", "-j", "2"}, 400},
      {"standard error a stopped terminal, two workers", {"-v", "-k", "-j", "2"}, 400, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$", 4 * 1024 * 1024);
    const std::string fifo = folder / "password";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> args;
    for (const std::string& option : c.options) args.push_back(option[0] == '@' ? fifo : option);
    for (size_t i = 0; i < c.namedBefore; ++i) {
      const std::string name = std::to_string(1000 + i) + std::string(200, 'n') + ".$S$";
      args.push_back(WriteLog(folder, name, 8).path);
    }
    args.push_back(log.path);
    int master = -1, terminal = -1;
    if (c.stoppedTerminal) {
      ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
      ASSERT_EQ(tcflow(master, TCOOFF), 0);
    }
    const Descriptor masterEnd(master), terminalEnd(terminal);
    DecoderProcess decoder(
        {args, {std::string("VELLUNORA_PASSWORD=") + kPassword}, "", std::nullopt, terminal});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(decoder.pid(), SIGTERM);
    // Ended without anybody reading its output: looked at, not reaped, until it is.
    siginfo_t ended{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ended.si_pid == 0 && std::chrono::steady_clock::now() < deadline) {
      waitid(P_PID, static_cast<id_t>(decoder.pid()), &ended, WEXITED | WNOHANG | WNOWAIT);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(ended.si_pid, 0) << "still running";
    if (ended.si_pid == 0) kill(decoder.pid(), SIGKILL);
    const RunResult run = decoder.Wait();
    EXPECT_EQ(run.signalNumber, SIGTERM) << run.err;
    EXPECT_EQ(ReadFileBytes(log.path), log.cipher);
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, VellunoraDecodeInterrupt,
                         testing::Values(SIGINT, SIGTERM, SIGHUP, SIGQUIT));

TEST(VellunoraDecode, UsageErrorsExitWithOneAndTouchNothing) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{}, "復号するファイルを指定してください。"},
      {{"-x", "FILE"}, "不明なオプションです: -x"},
      // As a glob may pass a file's name.
      {{"-\x1B[2J", "FILE"}, "不明なオプションです: -\\x1B[2J\n"},
      {{"--password", "pw", "FILE"}, "不明なオプションです: --password"},
      {{"-c", "-t", "FILE"}, "-c と -t は一緒に使えません。"},
      {{"-c", "-o", "out", "FILE"}, "-c と -o は一緒に使えません。"},
      {{"-q", "-v", "FILE"}, "-q と -v は一緒に使えません。"},
      {{"--password-encoding", "sjis", "FILE"},
       "--password-encoding は auto、utf-8、cp932 のどれかです: sjis\n"},
      {{"FILE", "-p"}, "コマンド行が正しくありません"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    const LogFile log = WriteLog(folder, "a.$S$");
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(arg == "FILE" ? log.path : arg);
    const RunResult run = RunWithPassword(args);
    EXPECT_EQ(run.exitCode, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.$S$"});
  }
}

TEST(VellunoraDecode, HelpAndVersionGoToStandardOutput) {
  for (const char* flag : {"-h", "--help"}) {
    const RunResult help = RunDecoder({{flag}, {}, "", std::nullopt});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const char* option : {"--password-file", "--output", "--recursive", "--keep", "--force",
                               "--stdout", "--test", "--no-sync", "--quiet", "--verbose",
                               "--password-encoding ENC ", "--jobs N "}) {
      EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    // Arguments by their names alone, without the parser's notes on types and ranges.
    EXPECT_EQ(help.out.find(" N:"), std::string::npos) << help.out;
  }
  const RunResult version = RunDecoder({{"--version"}, {}, "", std::nullopt});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "vellunora-decode 1.0.3\n");
}

}  // namespace
