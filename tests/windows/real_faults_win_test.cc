// vellunora-decode.exe under Wine against real faults: a drive letter on a full file system, a
// read-only file system as the output folder, an input held open without sharing by another
// process, a read-only input, a missing output folder, another drive, runs ended at random
// moments and two decoders started together. Whatever happens, each input is still there byte
// for byte or its output is whole (never neither), a file under a final name is never partial,
// and no temporary file is left behind, except those of a process ended from outside.
//
// tests/windows/real_faults_wine.sh runs this program: a Windows program cannot mount, so the
// script mounts the small file system behind drive F: and the read-only folder and names them
// in VELLUNORA_FULL_DRIVE and VELLUNORA_READ_ONLY_FOLDER.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialog/dialog_texts.h"
#include "dialog/policy/decode_file.h"
#include "tests/support/fault_checks.h"
#include "tests/support/log_fixture.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;

// A program built beside this one, reached through Wine's drive Z:, which is "/".
std::string ProgramPath(const char* unixPath) {
  std::string path = "Z:";
  path += unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string DecoderPath() { return ProgramPath(VELLUNORA_DECODE_UNIX_PATH); }

// The system's sentence for code, as the decoder puts it in brackets: without the line break
// and the full stop at its end.
std::string SystemText(DWORD code) {
  char buffer[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  const std::string fullStop = "。";
  for (;;) {
    if (!text.empty() && std::string("\r\n .").find(text.back()) != std::string::npos) {
      text.pop_back();
    } else if (text.size() >= fullStop.size() &&
               text.compare(text.size() - fullStop.size(), fullStop.size(), fullStop) == 0) {
      text.resize(text.size() - fullStop.size());
    } else {
      break;
    }
  }
  return "（" + text + "）";
}

// One argument quoted so that the C runtime's parser gives it back unchanged: backslashes
// are doubled only before a quote, including the closing one ("F:\" must not end in \").
std::string Quoted(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

struct Finished {
  DWORD exitCode = 0;
  std::string err;
};

// vellunora-decode.exe as a child process, created suspended so that several can be let go
// together. Its standard error goes to a file of the scratch folder; the password comes
// through the inherited environment. Ended if the test ends first.
class Decoder {
 public:
  Decoder(const std::vector<std::string>& args, const TempFolder& scratch) {
    SetEnvironmentVariableA("VELLUNORA_PASSWORD", kFaultPassword);
    static int counter = 0;
    errPath_ = scratch / ("stderr" + std::to_string(++counter) + ".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE err = CreateFileA(errPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE nothing =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    if (err == INVALID_HANDLE_VALUE || nothing == INVALID_HANDLE_VALUE) {
      throw std::runtime_error("cannot open the child's standard streams");
    }
    std::string commandLine = Quoted(DecoderPath());
    for (const std::string& arg : args) commandLine += " " + Quoted(arg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = nothing;
    startup.hStdError = err;
    const BOOL created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &process_);
    const DWORD error = GetLastError();
    CloseHandle(err);
    CloseHandle(nothing);
    if (!created) throw std::runtime_error("CreateProcess: error " + std::to_string(error));
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder() {
    if (process_.hProcess == nullptr) return;
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, INFINITE);
    Release();
  }

  void Resume() { ResumeThread(process_.hThread); }

  Finished Wait() {
    WaitForSingleObject(process_.hProcess, INFINITE);
    Finished finished;
    GetExitCodeProcess(process_.hProcess, &finished.exitCode);
    Release();
    const std::vector<uint8_t> bytes = ReadFileBytes(errPath_);
    finished.err.assign(bytes.begin(), bytes.end());
    return finished;
  }

  // Ends the process from outside, as Task Manager does; one that had already ended reports
  // its own exit code, else kTerminated.
  static constexpr DWORD kTerminated = 0xDEAD;
  Finished Terminate() {
    TerminateProcess(process_.hProcess, kTerminated);
    return Wait();
  }

 private:
  void Release() {
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
  }

  PROCESS_INFORMATION process_{};
  std::string errPath_;
};

Finished RunDecoder(const std::vector<std::string>& args) {
  TempFolder scratch;
  Decoder decoder(args, scratch);
  decoder.Resume();
  return decoder.Wait();
}

// The folders that real_faults_wine.sh mounted, or why there are none.
struct MountedFolders {
  std::string fullDrive;       // "F:\", a file system of a few MiB
  std::string readOnlyFolder;  // on a read-only file system
  std::string unavailable;     // why not, when empty
};

MountedFolders FoldersFromScript() {
  MountedFolders folders;
  const char* full = std::getenv("VELLUNORA_FULL_DRIVE");
  const char* readOnly = std::getenv("VELLUNORA_READ_ONLY_FOLDER");
  if (full != nullptr && readOnly != nullptr) {
    folders.fullDrive = full;
    folders.readOnlyFolder = readOnly;
  } else if (const char* why = std::getenv("VELLUNORA_FAULT_MOUNTS_UNAVAILABLE")) {
    folders.unavailable = why;
  } else {
    folders.unavailable =
        "no full drive or read-only folder was mounted: run this program through "
        "tests/windows/real_faults_wine.sh (ctest does)";
  }
  return folders;
}

void EmptyFolder(const std::string& folder) {
  for (const std::string& name : NamesIn(folder)) {
    const std::string path = JoinPath(folder, name);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

TEST(DecoderUnderWineFaults, FullOrReadOnlyOutputFolderFailsAndKeepsTheInput) {
  const MountedFolders mounted = FoldersFromScript();
  if (!mounted.unavailable.empty()) GTEST_SKIP() << mounted.unavailable;
  struct Case {
    const char* what;
    std::string outputFolder;
    std::vector<size_t> inputSizes;
    std::vector<Fate> fates;
    size_t olderOutputSize;  // an output of the first input already there, replaced with -f
    std::vector<std::string> args;
    std::vector<std::string> reasons;  // one of them in every failure line
  };
  const std::vector<std::string> diskFull = {SystemText(ERROR_DISK_FULL)};
  const Case cases[] = {
      {"input of 3 MiB, drive of 2 MiB",
       mounted.fullDrive,
       {3 * kMiB},
       {Fate::Kept},
       0,
       {},
       diskFull},
      {"an older output on the full drive stays with -f",
       mounted.fullDrive,
       {3 * kMiB},
       {Fate::Kept},
       600 * kKiB,
       {"-f"},
       diskFull},
      {"four inputs of 700 KiB, drive of 2 MiB, two at once",
       mounted.fullDrive,
       {700 * kKiB, 700 * kKiB, 700 * kKiB, 700 * kKiB},
       {Fate::Either, Fate::Either, Fate::Either, Fate::Either},
       0,
       {"-j", "2"},
       diskFull},
      // Windows calls it write-protected; Wine reports the read-only mount as access denied.
      {"read-only file system",
       mounted.readOnlyFolder,
       {100 * kKiB},
       {Fate::Kept},
       0,
       {},
       {SystemText(ERROR_WRITE_PROTECT), SystemText(ERROR_ACCESS_DENIED)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder in;
    EmptyFolder(mounted.fullDrive);
    std::vector<LogFile> logs;
    for (size_t i = 0; i < c.inputSizes.size(); ++i) {
      logs.push_back(WriteLog(in.path(), LogName('L', i), c.inputSizes[i],
                              static_cast<uint32_t>(i + 1), c.outputFolder));
    }
    std::vector<uint8_t> olderOutput(c.olderOutputSize, uint8_t{'o'});
    if (!olderOutput.empty()) WriteFileBytes(logs[0].output, olderOutput);

    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", c.outputFolder});
    for (const LogFile& log : logs) args.push_back(log.input);
    const Finished run = RunDecoder(args);

    ExpectUnwritableRun(logs, c.fates, olderOutput, {in.path(), c.outputFolder}, run.exitCode,
                        run.err, c.reasons);
  }
  EmptyFolder(mounted.fullDrive);
}

// What a case set up around its file; undone when the case ends.
struct Scene {
  TempFolder in;
  TempFolder out;
  std::string outputFolder;  // the -o argument
  HANDLE held = INVALID_HANDLE_VALUE;
  explicit Scene(const std::string& inParent, const std::string& outParent)
      : in(inParent), out(outParent), outputFolder(out.path()) {}
  ~Scene() {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }
};

std::string TempParent() { return fs::temp_directory_path().string(); }

TEST(DecoderUnderWineFaults, UnopenableUndeletableOrUnwritableFilesAreReportedAndNothingLost) {
  using Prepare = void (*)(Scene&, const LogFile&);
  const std::string temp = TempParent();
  struct Case {
    const char* what;
    std::string inParent, outParent;  // where the input and output folders are made
    Prepare prepare;
    bool force;  // -f, with an older output there beforehand
    OneFileEnd end;
  };
  const Case cases[] = {
      {"input held open without sharing by another process, older output and -f",
       temp,
       temp,
       [](Scene& s, const LogFile& log) {
         s.held = CreateFileA(log.input.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
         ASSERT_NE(s.held, INVALID_HANDLE_VALUE);
       },
       true,
       {1, "ファイルを読めません" + SystemText(ERROR_SHARING_VIOLATION), After::InputOnly}},
      {"read-only input",
       temp,
       temp,
       [](Scene&, const LogFile& log) {
         ASSERT_TRUE(SetFileAttributesA(log.input.c_str(), FILE_ATTRIBUTE_READONLY));
       },
       false,
       {1, "元のファイルを削除できません" + SystemText(ERROR_ACCESS_DENIED),
        After::InputAndOutput}},
      {"older output read-only, -f",
       temp,
       temp,
       [](Scene&, const LogFile& log) {
         ASSERT_TRUE(SetFileAttributesA(log.output.c_str(), FILE_ATTRIBUTE_READONLY));
       },
       true,
       {1, "に書けません" + SystemText(ERROR_ACCESS_DENIED), After::InputOnly}},
      {"output folder missing",
       temp,
       temp,
       [](Scene& s, const LogFile&) { s.outputFolder = s.out / "missing"; },
       false,
       {1, "がありません。", After::InputOnly}},
      {"output folder on drive E:",
       temp,
       "E:\\",
       [](Scene&, const LogFile&) {},
       false,
       {0, "", After::OutputOnly}},
      {"input on drive E:, output folder on C:",
       "E:\\",
       temp,
       [](Scene&, const LogFile&) {},
       false,
       {0, "", After::OutputOnly}},
  };
  const std::vector<uint8_t> older(5000, uint8_t{'o'});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene(c.inParent, c.outParent);
    LogFile log = WriteLog(scene.in.path(), "A.$S$", 300 * kKiB + 3, 11, scene.out.path());
    if (c.force) WriteFileBytes(log.output, older);
    c.prepare(scene, log);
    log.output = JoinPath(scene.outputFolder, "A.CSV");

    std::vector<std::string> args;
    if (c.force) args.push_back("-f");
    args.insert(args.end(), {"-o", scene.outputFolder, log.input});
    const Finished run = RunDecoder(args);
    if (scene.held != INVALID_HANDLE_VALUE) {
      CloseHandle(std::exchange(scene.held, INVALID_HANDLE_VALUE));
    }

    ASSERT_NO_FATAL_FAILURE(ExpectOneFileRun(log, c.force ? older : std::vector<uint8_t>{},
                                             {scene.in.path(), scene.outputFolder}, run.exitCode,
                                             run.err, c.end));
  }
}

TEST(DecoderUnderWineFaults, TerminatedAtAnyMomentLeavesTheInputOrTheWholeOutput) {
  constexpr int kRuns = 50;
  constexpr size_t kSize = 16 * kMiB;
  const uint64_t seed = KillSeed("ends");

  TempFolder folder, scratch;
  const LogFile log = WriteLog(folder.path(), "BIG.$S$", kSize, 5, folder.path());
  EndedRuns ended(folder.path(), log, "stopped");

  // Whole runs first: they must succeed, and the shortest bounds the random moments. Timed
  // in milliseconds by the system: <chrono> does not compile with the CP932 execution
  // character set (its "µs").
  ULONGLONG length = ~ULONGLONG{0};
  for (int whole = 0; whole < 3; ++whole) {
    const ULONGLONG start = GetTickCount64();
    const Finished run = RunDecoder({log.input});
    length = std::min(length, GetTickCount64() - start);
    ASSERT_NO_FATAL_FAILURE(ended.CheckWholeRun(run.exitCode, run.err));
  }

  std::mt19937_64 random(seed);
  std::uniform_int_distribution<ULONGLONG> moment(0, length);
  for (int run = 0; run < kRuns; ++run) {
    const ULONGLONG delay = moment(random);
    SCOPED_TRACE("run " + std::to_string(run) + ", ended after " + std::to_string(delay) +
                 " ms, VELLUNORA_KILL_SEED=" + std::to_string(seed));
    Decoder decoder({log.input}, scratch);
    decoder.Resume();
    Sleep(static_cast<DWORD>(delay));
    const Finished end = decoder.Terminate();
    ASSERT_NO_FATAL_FAILURE(
        ended.CheckRun(end.exitCode == Decoder::kTerminated, end.exitCode, end.err));
  }

  const Finished after = RunDecoder({log.input});
  ended.CheckRunBesideLeftovers(after.exitCode, after.err);
  ended.Summarize(std::cout);
}

// Windows refuses to delete a file another process has open, and the decoder lets go of its
// input before deleting it: a second decoder that opens the input in that moment makes the
// first one's deletion fail with a sharing violation. Without -f the second then finds the
// output already there and leaves the input too, so the file ends with its input intact
// beside a whole output, both decoders having said so. Nothing is lost either way.
TEST(DecoderUnderWineFaults, TwoDecodersStartedTogetherLoseNoFileAndDecryptEachAtMostOnce) {
  constexpr size_t kFiles = 20;
  constexpr int kRounds = 2;
  const std::string notDeleted =
      "復号しましたが、元のファイルを削除できません" + SystemText(ERROR_SHARING_VIOLATION) + "。";
  std::vector<std::string> allowedFailures =
      ReasonsForATakenFile(SystemText(ERROR_SHARING_VIOLATION), SystemText(ERROR_FILE_NOT_FOUND));
  allowedFailures.push_back(notDeleted);
  const std::vector<std::vector<std::string>> argumentSets = {{}, {"-j", "1"}, {"-f"}};
  for (const std::vector<std::string>& args : argumentSets) {
    for (int round = 0; round < kRounds; ++round) {
      std::string options;
      for (const std::string& arg : args) options += arg + " ";
      SCOPED_TRACE("options: " + options + "round " + std::to_string(round));
      TempFolder folder, scratch;
      std::vector<LogFile> logs;
      for (size_t i = 0; i < kFiles; ++i) {
        logs.push_back(WriteLog(folder.path(), LogName('R', 100 + i), kMiB + i * 101 * kKiB + i,
                                static_cast<uint32_t>(i), folder.path()));
      }
      std::vector<std::string> launch = args;
      launch.insert(launch.end(), {"-v", folder.path()});
      Decoder first(launch, scratch), second(launch, scratch);
      first.Resume();
      second.Resume();
      const Finished runs[] = {first.Wait(), second.Wait()};
      const std::string all = runs[0].err + runs[1].err;

      std::vector<int> decryptedBy(kFiles, 0), leftBy(kFiles, 0);
      std::cout << "[  shares  ] " << options << "round " << round << ":";
      for (const Finished& run : runs) {
        DecoderLines lines;
        ASSERT_NO_FATAL_FAILURE(
            ReadDecoderLines(run.err, folder.path(), logs, allowedFailures, lines));
        for (size_t i = 0; i < kFiles; ++i) {
          decryptedBy[i] += lines.decrypted[i];
          for (const std::string& rest : lines.failures[i]) {
            if (rest.ends_with(notDeleted)) ++leftBy[i];
          }
        }
        EXPECT_EQ(run.exitCode, lines.AnyFailure() ? 1u : 0u) << run.err;
        std::cout << " " << lines.DecryptedCount() << " files, exit " << run.exitCode << ";";
      }
      size_t inputsLeft = 0;
      for (size_t i = 0; i < kFiles; ++i) {
        SCOPED_TRACE(logs[i].input);
        ASSERT_TRUE(PathExists(logs[i].output)) << all;
        EXPECT_EQ(DifferenceFrom(logs[i].output, logs[i].plain), "");
        if (PathExists(logs[i].input)) {
          ++inputsLeft;
          EXPECT_EQ(DifferenceFrom(logs[i].input, logs[i].cipher), "");
          EXPECT_EQ(decryptedBy[i], 0) << "said done, yet the input is there\n" << all;
          EXPECT_GE(leftBy[i], 1) << "the input is there and nobody said why\n" << all;
        } else {
          EXPECT_EQ(decryptedBy[i], 1) << all;
        }
      }
      std::cout << " " << inputsLeft << " inputs left beside their outputs\n";
      EXPECT_EQ(folder.Names().size(), kFiles + inputsLeft) << "no temporary file is left";
    }
  }
}

// ---- Other programs on the same desktop ---------------------------------------------------------

// tests/windows/neighbour.cc running on a folder: it opens every new file there the moment its
// writer lets go of it, with share mode read, for holdMilliseconds. Ended with the test.
class Neighbour {
 public:
  Neighbour(const std::string& folder, unsigned holdMilliseconds) {
    std::string commandLine = Quoted(ProgramPath(VELLUNORA_NEIGHBOUR_UNIX_PATH)) + " " +
                              Quoted(folder) + " " + std::to_string(holdMilliseconds);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
      throw std::runtime_error("CreateProcess: error " + std::to_string(GetLastError()));
    }
    // Time to make its first pass over the folder, as a watcher that was there before.
    Sleep(300);
  }
  Neighbour(const Neighbour&) = delete;
  Neighbour& operator=(const Neighbour&) = delete;
  ~Neighbour() {
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, INFINITE);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

 private:
  PROCESS_INFORMATION process_{};
};

// An older output held open by another program for the whole run, longer than any retry.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr)) {
    if (handle_ == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + path);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  ~HeldFile() { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

// The dialog's DecodeFile on each log, one after the other as its batch run does; the events
// of each file.
std::vector<std::vector<std::string>> DecodeEachInDialog(const std::vector<LogFile>& logs,
                                                         const std::string& outputFolder) {
  std::vector<std::vector<std::string>> events;
  for (const LogFile& log : logs) {
    RecordingHost host;
    host.password = kFaultPassword;
    host.outputFolder = outputFolder;
    DecodeFile(host, log.input);
    events.push_back(host.events);
  }
  return events;
}

TEST(DecoderUnderWineFaults, NeighbourOpeningEveryNewFileMakesNoFileFailOrStay) {
  constexpr size_t kFiles = 100;
  enum class FrontEnd { Dialog, CommandLine };
  struct Case {
    const char* what;
    FrontEnd frontEnd;
    bool olderOutputs;      // an older ".CSV" of every log is there before the run
    bool holdFirstOlder;    // and another program holds the first one for the whole run
  };
  const Case cases[] = {
      {"dialog", FrontEnd::Dialog, false, false},
      {"dialog, older outputs replaced", FrontEnd::Dialog, true, false},
      {"dialog, an older output held for good", FrontEnd::Dialog, true, true},
      {"command line", FrontEnd::CommandLine, false, false},
      {"command line -f, older outputs replaced", FrontEnd::CommandLine, true, false},
      {"command line -f, an older output held for good", FrontEnd::CommandLine, true, true},
  };
  const std::vector<uint8_t> older(700, uint8_t{'o'});
  const std::vector<std::string> hardFailure = {
      std::string("say:") + kDecodeFailedText + "|" + kMessageTitle, "stop", "pause:1000",
      "close"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder in, out;
    std::vector<LogFile> logs;
    for (size_t i = 0; i < kFiles; ++i) {
      logs.push_back(WriteLog(in.path(), LogName('N', i), 3 * kKiB + i * 97,
                              static_cast<uint32_t>(i + 1), out.path()));
      if (c.olderOutputs) WriteFileBytes(logs.back().output, older);
    }
    std::vector<bool> failed(kFiles, false);
    {
      Neighbour neighbour(out.path(), 30);
      std::unique_ptr<HeldFile> held;
      if (c.holdFirstOlder) held = std::make_unique<HeldFile>(logs[0].output);
      if (c.frontEnd == FrontEnd::Dialog) {
        const auto events = DecodeEachInDialog(logs, out.path());
        for (size_t i = 0; i < kFiles; ++i) {
          failed[i] = events[i] == hardFailure;
          EXPECT_TRUE(failed[i] || events[i] == std::vector<std::string>{"done"})
              << logs[i].input << ": " << testing::PrintToString(events[i]);
        }
      } else {
        std::vector<std::string> args = {"-v", "-o", out.path()};
        if (c.olderOutputs) args.push_back("-f");
        args.push_back(in.path());
        const Finished run = RunDecoder(args);
        const std::string canNotWrite = "に書けません";
        for (const std::string& line : SplitLines(run.err)) {
          if (line.find("復号しました。") != std::string::npos || IsDecryptionPathLine(line)) {
            continue;
          }
          EXPECT_NE(line.find(canNotWrite), std::string::npos) << line;
          for (size_t i = 0; i < kFiles; ++i) {
            if (line.starts_with(kDecoderLinePrefix + logs[i].input + ": ")) failed[i] = true;
          }
        }
        EXPECT_EQ(run.exitCode, c.holdFirstOlder ? 1u : 0u) << run.err;
      }
    }
    // Only the held file fails, and it is reported; nothing but whole outputs is left.
    std::vector<std::string> outputs, names = NamesIn(out.path());
    for (size_t i = 0; i < kFiles; ++i) {
      SCOPED_TRACE(logs[i].input);
      EXPECT_EQ(failed[i], c.holdFirstOlder && i == 0);
      if (failed[i]) {
        EXPECT_EQ(DifferenceFrom(logs[i].input, logs[i].cipher), "");
        EXPECT_EQ(DifferenceFrom(logs[i].output, older), "") << "the held output was touched";
      } else {
        EXPECT_FALSE(PathExists(logs[i].input));
        EXPECT_EQ(DifferenceFrom(logs[i].output, logs[i].plain), "");
      }
      outputs.push_back(logs[i].output.substr(out.path().size() + 1));
    }
    std::sort(outputs.begin(), outputs.end());
    EXPECT_EQ(names, outputs) << "something other than whole outputs stayed";
  }
}

// An output path of MAX_PATH - 1 characters, the longest the ANSI calls take, is decrypted,
// also when it replaces an older output: no temporary name may be longer than the final one.
TEST(DecoderUnderWineFaults, OutputPathsOfTheLongestLengthAreDecrypted) {
  constexpr size_t kLongest = MAX_PATH - 1;
  struct Case {
    const char* what;
    bool dialog;  // the dialog's DecodeFile, else the command line (-f with an older output)
    bool older;
  };
  const Case cases[] = {
      {"dialog", true, false},
      {"dialog replacing an older output", true, true},
      {"command line", false, false},
      {"command line -f replacing an older output", false, true},
  };
  const std::vector<uint8_t> older(900, uint8_t{'o'});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder in, out;
    // A folder of the output folder, so long that a name of about 40 characters fills the path.
    const std::string folder = JoinPath(out.path(), std::string(kLongest - out.path().size() - 42, 'D'));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string base(kLongest - folder.size() - 1 - 4, 'L');
    const LogFile log = WriteLog(in.path(), base + ".$S$", 64 * kKiB + 3, 21, folder);
    ASSERT_EQ(log.output.size(), kLongest);
    if (c.older) WriteFileBytes(log.output, older);

    if (c.dialog) {
      const auto events = DecodeEachInDialog({log}, folder);
      EXPECT_EQ(events[0], std::vector<std::string>{"done"});
    } else {
      std::vector<std::string> args = {"-o", folder};
      if (c.older) args.push_back("-f");
      args.push_back(log.input);
      const Finished run = RunDecoder(args);
      EXPECT_EQ(run.exitCode, 0u) << run.err;
    }
    EXPECT_FALSE(PathExists(log.input));
    EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{base + ".CSV"});
    DeleteFileA(log.output.c_str());
    RemoveDirectoryA(folder.c_str());
  }
}

// The short name Windows gives name when it is made in an empty folder: made, read and removed.
std::string ShortNameOf(const std::string& name) {
  TempFolder scratch;
  const std::string path = JoinPath(scratch.path(), name);
  WriteFileBytes(path, std::vector<uint8_t>{1});
  char shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
  DeleteFileA(path.c_str());
  if (length == 0 || length >= MAX_PATH) throw std::runtime_error("no short name for " + name);
  const std::string shortened(shortPath, length);
  return shortened.substr(shortened.find_last_of('\\') + 1);
}

// Windows takes names without regard to case, and not only of the ASCII letters: a\LOG.$S$ and
// b\log.$S$ decrypted into one folder would write one file, the second replacing the first with
// -f; so would full-width, Greek and Cyrillic letters of either case. Both are refused. An
// output's 8.3 short name exists only once it is made: a second input of that name may not
// replace the first's output with -f, which replaces only outputs that were there before.
TEST(DecoderUnderWineFaults, InputsWhoseOutputsAreOneFileAreRefused) {
  struct Case {
    const char* what;
    std::string first;
    std::string second;
    std::vector<std::string> options;
    const char* line;  // what each of the lines says
    size_t lines;
  };
  const std::string shortOutput = ShortNameOf("LONGFILENAME.CSV");
  const Case cases[] = {
      {"ASCII, -f", "LOG.$S$", "log.$S$", {"-f"}, "と同じ出力ファイル", 2},
      {"ASCII, -f -j 2", "LOG.$S$", "log.$S$", {"-f", "-j", "2"}, "と同じ出力ファイル", 2},
      {"full-width", "ａ.$S$", "Ａ.$S$", {"-f"}, "と同じ出力ファイル", 2},
      {"Greek", "α.$S$", "Α.$S$", {"-f"}, "と同じ出力ファイル", 2},
      {"the short name of the first's output, -f -j 1", "LONGFILENAME.$S$",
       shortOutput.substr(0, shortOutput.size() - 4) + ".$S$",
       {"-f", "-j", "1"}, "は実行中に作られたため、置き換えません。", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder a, b, out;
    const LogFile first = WriteLog(a.path(), c.first, 3000, 1, out.path());
    const LogFile second = WriteLog(b.path(), c.second, 5000, 2, out.path());
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-o", out.path(), first.input, second.input});
    const Finished run = RunDecoder(args);
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    const std::vector<std::string> lines = SplitLines(run.err);
    EXPECT_EQ(lines.size(), c.lines) << run.err;
    for (const std::string& line : lines) {
      EXPECT_NE(line.find(c.line), std::string::npos) << line;
    }
    EXPECT_EQ(DifferenceFrom(second.input, second.cipher), "");
    if (c.lines == 2) {
      EXPECT_EQ(DifferenceFrom(first.input, first.cipher), "");
      EXPECT_EQ(NamesIn(out.path()), std::vector<std::string>{});
    } else {
      EXPECT_EQ(DifferenceFrom(first.output, first.plain), "");
    }
  }
}

// The program's own checks before it writes: the dry run (-t with -o) makes a file in the output
// folder and removes it at once, and a password file is read in either encoding. Not faults of
// the system, but the runner's read-only folder is the one place where no file can be made.
TEST(DecoderUnderWine, DryRunAndPasswordFilesInEitherEncoding) {
  const MountedFolders mounted = FoldersFromScript();
  // "パスワード" as the dialog digests it, and as a UTF-8 editor saves it.
  const std::string cp932 = "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68";
  const std::string utf8 = "\xE3\x83\x91\xE3\x82\xB9\xE3\x83\xAF\xE3\x83\xBC\xE3\x83\x89";
  struct Case {
    const char* what;
    std::string passwordFile;
    std::vector<std::string> args;  // "@out": the output folder, "@ro": the read-only one
    DWORD exitCode;
    std::string said;  // in standard error; "" for nothing at all
    bool decrypted;
  };
  const Case cases[] = {
      {"code page 932", cp932 + "\r\n", {"-o", "@out"}, 0, "", true},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8 + "\r\n", {"-o", "@out"}, 0, "",
       true},
      {"UTF-8 without one", utf8, {"-o", "@out"}, 0, "", true},
      {"code page 932 read as UTF-8", cp932, {"--password-encoding", "utf-8", "-o", "@out"}, 1,
       "パスワードが、UTF-8 の文字として正しくありません。", false},
      {"dry run", cp932, {"-t", "-v", "-o", "@out"}, 0, "に新しいファイルを作れます。", false},
      {"dry run into a read-only folder", utf8, {"-t", "-o", "@ro"}, 1,
       "に新しいファイルを作れません", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool readOnly = c.args.back() == "@ro";
    if (readOnly && !mounted.unavailable.empty()) {
      std::cout << "not run: " << c.what << ": " << mounted.unavailable << "\n";
      continue;
    }
    TempFolder in, out;
    const std::string outputFolder = readOnly ? mounted.readOnlyFolder : out.path();
    const std::vector<uint8_t> cipher = MakeSampleLog(cp932, 5000, 3);
    const std::string input = in / "JP.$S$";
    WriteFileBytes(input, cipher);
    WriteFileBytes(in / "pw.txt",
                   std::vector<uint8_t>(c.passwordFile.begin(), c.passwordFile.end()));
    std::vector<std::string> args = {"-p", in / "pw.txt"};
    for (const std::string& arg : c.args) args.push_back(arg[0] == '@' ? outputFolder : arg);
    args.push_back(input);
    const Finished run = RunDecoder(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.said.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    if (c.decrypted) {
      EXPECT_EQ(DifferenceFrom(out / "JP.CSV", ReferenceDecrypt(cp932, cipher)), "");
      EXPECT_FALSE(PathExists(input));
    } else {
      EXPECT_EQ(DifferenceFrom(input, cipher), "");
      EXPECT_EQ(NamesIn(outputFolder), std::vector<std::string>{});
    }
  }
}

}  // namespace
