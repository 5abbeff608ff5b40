// vellunora-decode against real faults, with no seam in the program: full file systems (small
// tmpfs mounts), a file size limit, locks held by other processes, files and folders that
// cannot be deleted or written, SIGKILL at random moments and two decoders on one folder.
// Whatever happens, each input is still there byte for byte or its output is whole (never
// neither), a file under a final name is never partial, and no temporary file is left behind,
// except those of a killed process, which had no chance to remove its own.
//
// Mounts are made in a mount namespace of the test process's own, so that none outlives a
// test that crashes; the decoders started from here inherit it. Tests that need mounts skip,
// saying why, where mounting is not permitted.

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process_posix.h"
#include "tests/support/fault_checks.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr char kDecoder[] = VELLUNORA_DECODE_PATH;
constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;

std::string ErrorText(int code) { return std::strerror(code); }

// ---- Child processes ----------------------------------------------------------------------------

struct Launch {
  std::vector<std::string> args;
  std::optional<rlim_t> fileSizeLimit;
  int error = -1;  // the decoder's standard error: -1 a memory file read back, or kClosedStream
                   // or a descriptor of the test's
};

struct Finished {
  int exitCode = -1;  // -1 when a signal ended the program
  int signalNumber = 0;
  std::string err;
};

// An anonymous memory file for a child's standard error.
Descriptor MemoryFile(const char* name) {
  const int file = memfd_create(name, MFD_CLOEXEC);
  if (file < 0) throw std::runtime_error("memfd_create: " + ErrorText(errno));
  return Descriptor(file);
}

// The decoder as a child process with the password in its environment and no terminal.
// Its standard error goes to an anonymous memory file, which cannot fill up and block the
// child the way an unread pipe would while the test waits for two at once. Killed and reaped
// if the test ends first.
class Decoder {
 public:
  explicit Decoder(Launch launch, const StartGate* gate = nullptr)
      : child_({kDecoder,
                std::move(launch.args),
                {std::string("VELLUNORA_PASSWORD=") + kFaultPassword, "LC_ALL=C.UTF-8"},
                -1,
                -1,
                launch.error == -1 ? err_.get() : launch.error,
                launch.fileSizeLimit,
                gate}) {}

  pid_t pid() const { return child_.pid(); }

  Finished Wait() { return FinishedAs(child_.Wait()); }

  // SIGKILL now; a program that had already ended reports its own status.
  Finished Kill() { return FinishedAs(child_.Kill()); }

 private:
  Finished FinishedAs(const ChildEnd& end) const {
    return {end.exitCode, end.signalNumber, StandardError()};
  }

  std::string StandardError() const {
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
      const ssize_t count = pread(err_.get(), buffer, sizeof buffer, offset);
      if (count <= 0) break;
      text.append(buffer, static_cast<size_t>(count));
      offset += count;
    }
    return text;
  }

  // Declared before child_, which takes it as its standard error.
  Descriptor err_ = MemoryFile("decoder-stderr");
  ChildProcess child_;
};

Finished RunDecoder(Launch launch) { return Decoder(std::move(launch)).Wait(); }

// Another process holding the exclusive flock that a decoder takes on its input, as a second
// decoder working on the same file does.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    int ready[2], release[2];
    if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(release, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe: " + ErrorText(errno));
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork: " + ErrorText(errno));
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      const int file = open(path.c_str(), O_RDONLY);
      const char locked = file >= 0 && flock(file, LOCK_EX) == 0 ? 'y' : 'n';
      if (write(ready[1], &locked, 1) != 1) _exit(1);
      char byte;
      while (read(release[0], &byte, 1) != 0 && errno == EINTR) {
      }
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char locked = 'n';
    const bool told = read(ready[0], &locked, 1) == 1;
    close(ready[0]);
    if (!told || locked != 'y') throw std::runtime_error("the holder could not lock " + path);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;
  ~LockHolder() {
    close(release_);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
};

// ---- Mounts -------------------------------------------------------------------------------------

// Why this process cannot mount, or nothing once it has a mount namespace of its own whose
// mounts do not reach the rest of the system.
std::optional<std::string> MountsUnavailable() {
  static const std::optional<std::string> reason = []() -> std::optional<std::string> {
    if (unshare(CLONE_NEWNS) != 0) {
      return "mounting is not permitted here (unshare(CLONE_NEWNS): " + ErrorText(errno) +
             "); run the tests as root";
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return "mounts cannot be made private here (" + ErrorText(errno) + ")";
    }
    return std::nullopt;
  }();
  return reason;
}

class Mount {
 public:
  Mount(const Mount&) = delete;
  Mount& operator=(const Mount&) = delete;
  ~Mount() { umount2(target_.c_str(), MNT_DETACH); }

  // A tmpfs at target (an existing folder) with mount options such as "size=1m".
  static std::unique_ptr<Mount> Tmpfs(const std::string& target, const std::string& options) {
    if (mount("tmpfs", target.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
      throw std::runtime_error("mount tmpfs " + options + " on " + target + ": " +
                               ErrorText(errno));
    }
    return std::unique_ptr<Mount>(new Mount(target));
  }

  // source seen read-only at target (which may be source itself).
  static std::unique_ptr<Mount> ReadOnlyBind(const std::string& source, const std::string& target) {
    if (mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
      throw std::runtime_error("bind " + source + " on " + target + ": " + ErrorText(errno));
    }
    std::unique_ptr<Mount> bound(new Mount(target));
    bound->RemountReadOnly(MS_BIND);
    return bound;
  }

  void RemountReadOnly(unsigned long extraFlags = 0) {
    if (mount(nullptr, target_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY | extraFlags, nullptr) !=
        0) {
      throw std::runtime_error("remount read-only " + target_ + ": " + ErrorText(errno));
    }
  }

 private:
  explicit Mount(std::string target) : target_(std::move(target)) {}
  std::string target_;
};

// ---- Output folders that fill up ----------------------------------------------------------------

TEST(DecoderUnderRealFaults, OutputThatDoesNotFitFailsAndKeepsItsInput) {
  if (auto why = MountsUnavailable()) GTEST_SKIP() << *why;
  const std::string noSpace = "（" + ErrorText(ENOSPC) + "）";
  const std::string tooLarge = "（" + ErrorText(EFBIG) + "）";
  struct Case {
    const char* what;
    const char* tmpfsOptions;  // the output folder is a tmpfs mounted so; nullptr: /tmp
    std::optional<rlim_t> fileSizeLimit;
    std::vector<size_t> inputSizes;
    std::vector<Fate> fates;
    size_t olderOutputSize;  // an output of the first input already there, replaced with -f
    std::vector<std::string> args;
    std::string reason;  // the system's words, in their brackets, in every failure line
  };
  const Case cases[] = {
      {"input of 3 MiB, tmpfs of 1 MiB",
       "size=1m",
       std::nullopt,
       {3 * kMiB},
       {Fate::Kept},
       0,
       {},
       noSpace},
      {"an older output in the full tmpfs stays with -f",
       "size=1m",
       std::nullopt,
       {3 * kMiB},
       {Fate::Kept},
       600 * kKiB,
       {"-f"},
       noSpace},
      {"no inode left for the temporary file",
       "size=4m,nr_inodes=1",
       std::nullopt,
       {64 * kKiB},
       {Fate::Kept},
       0,
       {},
       noSpace},
      {"four inputs of 700 KiB, tmpfs of 2 MiB, two at once",
       "size=2m",
       std::nullopt,
       {700 * kKiB, 700 * kKiB, 700 * kKiB, 700 * kKiB},
       {Fate::Either, Fate::Either, Fate::Either, Fate::Either},
       0,
       {"-j", "2"},
       noSpace},
      {"input of 3 MiB, file size limit of 1 MiB",
       nullptr,
       1 * kMiB,
       {3 * kMiB},
       {Fate::Kept},
       0,
       {},
       tooLarge},
      {"file size limit between small and large outputs, two at once",
       nullptr,
       1 * kMiB,
       {100 * kKiB, 3 * kMiB, 200 * kKiB, 2 * kMiB + 5},
       {Fate::Done, Fate::Kept, Fate::Done, Fate::Kept},
       0,
       {"-j", "2"},
       tooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder in, out;
    std::unique_ptr<Mount> tmpfs;
    if (c.tmpfsOptions != nullptr) tmpfs = Mount::Tmpfs(out.path(), c.tmpfsOptions);

    std::vector<LogFile> logs;
    for (size_t i = 0; i < c.inputSizes.size(); ++i) {
      logs.push_back(WriteLog(in.path(), LogName('L', i), c.inputSizes[i],
                              static_cast<uint32_t>(i + 1), out.path()));
    }
    std::vector<uint8_t> olderOutput(c.olderOutputSize, uint8_t{'o'});
    if (!olderOutput.empty()) WriteFileBytes(logs[0].output, olderOutput);

    Launch launch{c.args, c.fileSizeLimit};
    launch.args.insert(launch.args.end(), {"-o", out.path()});
    for (const LogFile& log : logs) launch.args.push_back(log.input);
    const Finished run = RunDecoder(launch);

    EXPECT_EQ(run.signalNumber, 0) << "the decoder died of a signal";
    ExpectUnwritableRun(logs, c.fates, olderOutput, {in.path(), out.path()}, run.exitCode, run.err,
                        {c.reason});
  }
}

// ---- Files that cannot be opened, deleted or written --------------------------------------------

// What a case set up around its files; undone in reverse when the case ends.
struct Scene {
  TempFolder in, out;
  std::string outputFolder;  // the -o argument
  std::vector<std::unique_ptr<Mount>> mounts;
  std::unique_ptr<LockHolder> lock;
  ~Scene() {
    lock.reset();
    while (!mounts.empty()) mounts.pop_back();
  }
};

TEST(DecoderUnderRealFaults, UnopenableUndeletableOrUnwritableFilesAreReportedAndNothingLost) {
  if (auto why = MountsUnavailable()) GTEST_SKIP() << *why;
  using Prepare = std::function<void(Scene&, const LogFile&)>;
  struct Case {
    const char* what;
    Prepare prepare;
    bool force;  // -f, with an older output there beforehand
    OneFileEnd end;
  };
  const Case cases[] = {
      {"input locked by another process, older output and -f",
       [](Scene& s, const LogFile& log) { s.lock = std::make_unique<LockHolder>(log.input); },
       true,
       {1, "ファイルを読めません（" + ErrorText(EWOULDBLOCK) + "）", After::InputOnly}},
      {"input folder mounted read-only",
       [](Scene& s, const LogFile&) {
         s.mounts.push_back(Mount::ReadOnlyBind(s.in.path(), s.in.path()));
       },
       false,
       {1, "元のファイルを削除できません（" + ErrorText(EROFS) + "）", After::InputAndOutput}},
      {"output folder mounted read-only",
       [](Scene& s, const LogFile&) {
         s.mounts.push_back(Mount::ReadOnlyBind(s.out.path(), s.out.path()));
       },
       false,
       {1, "に書けません（" + ErrorText(EROFS) + "）", After::InputOnly}},
      {"output folder a tmpfs remounted read-only",
       [](Scene& s, const LogFile&) {
         s.mounts.push_back(Mount::Tmpfs(s.out.path(), "size=4m"));
         s.mounts.back()->RemountReadOnly();
       },
       false,
       {1, "に書けません（" + ErrorText(EROFS) + "）", After::InputOnly}},
      {"output folder missing",
       [](Scene& s, const LogFile&) { s.outputFolder = s.out / "missing"; },
       false,
       {1, "がありません。", After::InputOnly}},
      {"output folder on another file system",
       [](Scene& s, const LogFile&) { s.mounts.push_back(Mount::Tmpfs(s.out.path(), "size=4m")); },
       false,
       {0, "", After::OutputOnly}},
  };
  const std::vector<uint8_t> older(5000, uint8_t{'o'});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    scene.outputFolder = scene.out.path();
    LogFile log = WriteLog(scene.in.path(), "A.$S$", 300 * kKiB + 3, 11, scene.out.path());
    if (c.force) WriteFileBytes(log.output, older);
    c.prepare(scene, log);
    log.output = JoinPath(scene.outputFolder, "A.CSV");

    Launch launch{{}, std::nullopt};
    if (c.force) launch.args.push_back("-f");
    launch.args.insert(launch.args.end(), {"-o", scene.outputFolder, log.input});
    const Finished run = RunDecoder(launch);

    ASSERT_NO_FATAL_FAILURE(ExpectOneFileRun(log, c.force ? older : std::vector<uint8_t>{},
                                             {scene.in.path(), scene.outputFolder}, run.exitCode,
                                             run.err, c.end));
  }
}

// Sets or clears the immutable flag (chattr +i), which stops even root from deleting a file.
// Returns the error, 0 on success.
int SetImmutable(const std::string& path, bool immutable) {
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return errno;
  int flags = 0;
  int error = 0;
  if (ioctl(file, FS_IOC_GETFLAGS, &flags) != 0) {
    error = errno;
  } else {
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    if (ioctl(file, FS_IOC_SETFLAGS, &flags) != 0) error = errno;
  }
  close(file);
  return error;
}

TEST(DecoderUnderRealFaults, ImmutableInputIsDecryptedAndItsDeletionReported) {
  TempFolder folder;
  const LogFile log = WriteLog(folder.path(), "A.$S$", 100 * kKiB, 3, folder.path());
  if (const int error = SetImmutable(log.input, true)) {
    GTEST_SKIP() << "the immutable flag cannot be set on " << log.input << " (" << ErrorText(error)
                 << "); it needs root and a file system such as ext4";
  }
  const Finished run = RunDecoder({{log.input}, std::nullopt});
  EXPECT_EQ(SetImmutable(log.input, false), 0);

  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, kDecoderLinePrefix + log.input +
                         ": 復号しましたが、元のファイルを削除できません（" + ErrorText(EPERM) +
                         "）。\n");
  EXPECT_EQ(DifferenceFrom(log.input, log.cipher), "");
  EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"A.$S$", "A.CSV"}));
}

// ---- Names at the limit, and who may read the output -------------------------------------------

TEST(DecoderUnderRealFaults, OutputsAtTheNameLimitAndNoMoreReadableThanTheirInputs) {
  struct Case {
    const char* what;
    size_t baseLength;  // of the input's name before ".$S$"; its output's name is as long
    bool force;         // -f, with an older output there beforehand
    mode_t inputMode;
    mode_t umask;       // the decoder's
    mode_t outputMode;
  };
  const Case cases[] = {
      {"output name of 255 bytes", 251, false, 0644, 022, 0644},
      {"output name of 255 bytes replacing an older output", 251, true, 0644, 022, 0644},
      {"input readable by its owner only", 8, false, 0600, 022, 0600},
      {"input readable by its group", 8, false, 0640, 022, 0640},
      {"the umask stricter than the input", 8, false, 0644, 077, 0600},
      {"an older output readable by all is replaced by one that is not", 8, true, 0600, 022, 0600},
      {"execute bits are not copied", 8, false, 0755, 022, 0644},
  };
  const std::vector<uint8_t> older(5000, uint8_t{'o'});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string base(c.baseLength, 'L');
    const LogFile log = WriteLog(folder.path(), base + ".$S$", 100 * kKiB + 5, 9, folder.path());
    ASSERT_EQ(chmod(log.input.c_str(), c.inputMode), 0);
    if (c.force) {
      WriteFileBytes(log.output, older);
      ASSERT_EQ(chmod(log.output.c_str(), 0644), 0);
    }
    Launch launch{{}, std::nullopt};
    if (c.force) launch.args.push_back("-f");
    launch.args.push_back(log.input);
    const mode_t before = umask(c.umask);
    const Finished run = RunDecoder(launch);
    umask(before);

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{base + ".CSV"});
    struct stat status {};
    ASSERT_EQ(stat(log.output.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.outputMode);
  }
}

// ---- Careless command lines ---------------------------------------------------------------------

// Standard error closed ("2>&-"), or a pipe whose reader has gone ("2>&1 | head -1"): the
// decoder's messages go nowhere, and nothing else changes. The process can be dumped by
// nobody while it holds the password.
TEST(DecoderUnderRealFaults, StandardErrorClosedOrBrokenChangesNoFile) {
  constexpr size_t kFiles = 300;
  struct Case {
    const char* what;
    bool closed;  // else a pipe without a reader
  };
  for (const Case& c : {Case{"standard error closed", true}, Case{"reader of standard error gone", false}}) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    std::vector<LogFile> logs;
    for (size_t i = 0; i < kFiles; ++i) {
      logs.push_back(WriteLog(folder.path(), LogName('E', i), 2000 + i * 37,
                              static_cast<uint32_t>(i), folder.path()));
    }
    int broken[2] = {-1, -1};
    if (!c.closed) {
      ASSERT_EQ(pipe2(broken, O_CLOEXEC), 0);
      close(broken[0]);
    }
    Launch launch{{"-v", "-j", "2", folder.path()}, std::nullopt, c.closed ? kClosedStream : broken[1]};
    const Finished run = RunDecoder(launch);
    if (!c.closed) close(broken[1]);

    EXPECT_EQ(run.signalNumber, 0) << "ended by a signal";
    EXPECT_EQ(run.exitCode, 0);
    for (const LogFile& log : logs) {
      EXPECT_FALSE(PathExists(log.input));
      EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
    }
    EXPECT_EQ(folder.Names().size(), kFiles);
  }
}

TEST(DecoderUnderRealFaults, ProcessHoldingThePasswordCannotDumpCore) {
  TempFolder folder;
  const LogFile log = WriteLog(folder.path(), "BIG.$S$", 48 * kMiB, 7, folder.path());
  Decoder decoder({{log.input}, std::nullopt});
  const std::string limits = "/proc/" + std::to_string(decoder.pid()) + "/limits";
  // Caught while it writes, long after its start-up.
  bool caught = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!caught && std::chrono::steady_clock::now() < deadline) {
    caught = IsWritingAnOutputIn(decoder.pid(), folder.path());
  }
  ASSERT_TRUE(caught) << "no output was being written";
  std::ifstream file(limits);
  std::string line;
  bool found = false;
  while (std::getline(file, line)) {
    if (!line.starts_with("Max core file size")) continue;
    found = true;
    EXPECT_NE(line.find(" 0                    0 "), std::string::npos) << line;
  }
  EXPECT_TRUE(found) << "no core limit in " << limits;
  decoder.Wait();
}

// ---- Killed runs --------------------------------------------------------------------------------

TEST(DecoderUnderRealFaults, SigkillAtAnyMomentLeavesTheInputOrTheWholeOutput) {
  constexpr int kRuns = 50;
  constexpr size_t kSize = 64 * kMiB;
  const uint64_t seed = KillSeed("kills");

  TempFolder folder;
  const LogFile log = WriteLog(folder.path(), "BIG.$S$", kSize, 5, folder.path());
  EndedRuns ended(folder.path(), log, "killed");

  // Whole runs first: they must succeed, and the shortest bounds the random moments.
  auto length = std::chrono::microseconds::max();
  for (int whole = 0; whole < 3; ++whole) {
    const auto start = std::chrono::steady_clock::now();
    const Finished run = RunDecoder({{log.input}, std::nullopt});
    length = std::min(length, std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::steady_clock::now() - start));
    ASSERT_NO_FATAL_FAILURE(ended.CheckWholeRun(run.exitCode, run.err));
  }

  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> moment(0, length.count());
  for (int run = 0; run < kRuns; ++run) {
    const std::chrono::microseconds delay(moment(random));
    SCOPED_TRACE("run " + std::to_string(run) + ", killed after " + std::to_string(delay.count()) +
                 " us, VELLUNORA_KILL_SEED=" + std::to_string(seed));
    Decoder decoder({{log.input}, std::nullopt});
    std::this_thread::sleep_for(delay);
    const Finished end = decoder.Kill();
    ASSERT_NO_FATAL_FAILURE(ended.CheckRun(end.signalNumber != 0, end.exitCode, end.err));
  }

  const Finished after = RunDecoder({{log.input}, std::nullopt});
  ended.CheckRunBesideLeftovers(after.exitCode, after.err);
  ended.Summarize(std::cout);
}

// ---- Two decoders on one folder -----------------------------------------------------------------

TEST(DecoderUnderRealFaults, TwoDecodersStartedTogetherDecryptEveryFileExactlyOnce) {
  constexpr size_t kFiles = 20;
  constexpr int kRounds = 3;
  const std::vector<std::string> allowedFailures =
      ReasonsForATakenFile("（" + ErrorText(EWOULDBLOCK) + "）", "（" + ErrorText(ENOENT) + "）");
  const std::vector<std::vector<std::string>> argumentSets = {
      {}, {"-j", "1"}, {"-j", "4"}, {"-f"}, {"-f", "-j", "1"}};
  for (const std::vector<std::string>& args : argumentSets) {
    for (int round = 0; round < kRounds; ++round) {
      std::string options;
      for (const std::string& arg : args) options += arg + " ";
      SCOPED_TRACE("options: " + options + "round " + std::to_string(round));
      TempFolder folder;
      std::vector<LogFile> logs;
      for (size_t i = 0; i < kFiles; ++i) {
        logs.push_back(WriteLog(folder.path(), LogName('R', 100 + i), 64 * kKiB + i * 37 * kKiB + i,
                                static_cast<uint32_t>(i), folder.path()));
      }
      Launch launch{args, std::nullopt};
      launch.args.insert(launch.args.end(), {"-v", folder.path()});
      StartGate gate;
      Decoder first(launch, &gate), second(launch, &gate);
      gate.Open();
      const Finished runs[] = {first.Wait(), second.Wait()};

      std::vector<int> decryptedBy(kFiles, 0);
      std::cout << "[  shares  ] " << options << "round " << round << ":";
      for (const Finished& run : runs) {
        EXPECT_EQ(run.signalNumber, 0);
        DecoderLines lines;
        ASSERT_NO_FATAL_FAILURE(
            ReadDecoderLines(run.err, folder.path(), logs, allowedFailures, lines));
        for (size_t i = 0; i < kFiles; ++i) decryptedBy[i] += lines.decrypted[i];
        EXPECT_EQ(run.exitCode, lines.AnyFailure() ? 1 : 0) << run.err;
        std::cout << " " << lines.DecryptedCount() << " files, exit " << run.exitCode << ";";
      }
      std::cout << "\n";
      for (size_t i = 0; i < kFiles; ++i) {
        EXPECT_EQ(decryptedBy[i], 1) << logs[i].input << "\n" << runs[0].err << runs[1].err;
        EXPECT_FALSE(PathExists(logs[i].input)) << logs[i].input;
        ASSERT_TRUE(PathExists(logs[i].output)) << logs[i].output;
        EXPECT_EQ(DifferenceFrom(logs[i].output, logs[i].plain), "");
      }
      EXPECT_EQ(folder.Names().size(), kFiles) << "only the outputs are left";
    }
  }
}

}  // namespace
