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
#include <signal.h>
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
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/fault_checks.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr char kDecoder[] = VELLUNORA_DECODE_PATH;
constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * kKiB;

std::string ErrorText(int code) { return std::strerror(code); }

// ---- Child processes ----------------------------------------------------------------------------

// Holds children before they exec until Open(), so that several start at one moment.
class StartGate {
 public:
  StartGate() {
    if (pipe2(ends_, O_CLOEXEC) != 0) throw std::runtime_error("pipe: " + ErrorText(errno));
  }
  StartGate(const StartGate&) = delete;
  StartGate& operator=(const StartGate&) = delete;
  ~StartGate() {
    for (int& end : ends_) {
      if (end >= 0) close(std::exchange(end, -1));
    }
  }
  void Open() {
    if (ends_[1] >= 0) close(std::exchange(ends_[1], -1));
  }
  // In a child: blocks until the parent opens the gate.
  void WaitInChild() const {
    close(ends_[1]);
    char byte;
    while (read(ends_[0], &byte, 1) != 0 && errno == EINTR) {
    }
  }

 private:
  int ends_[2] = {-1, -1};
};

struct Launch {
  std::vector<std::string> args;
  std::optional<rlim_t> fileSizeLimit;
};

struct Finished {
  int exitCode = -1;  // -1 when a signal ended the program
  int signalNumber = 0;
  std::string err;
};

// The decoder as a child process with the password in its environment and no terminal.
// Its standard error goes to an anonymous memory file, which cannot fill up and block the
// child the way an unread pipe would while the test waits for two at once. Killed and reaped
// if the test ends first.
class Decoder {
 public:
  explicit Decoder(Launch launch, const StartGate* gate = nullptr) {
    std::vector<std::string> argv{kDecoder};
    argv.insert(argv.end(), launch.args.begin(), launch.args.end());
    std::vector<std::string> envp{std::string("VELLUNORA_PASSWORD=") + kFaultPassword,
                                  "LC_ALL=C.UTF-8"};
    std::vector<char*> argPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(envp);
    err_ = memfd_create("decoder-stderr", MFD_CLOEXEC);
    if (err_ < 0) throw std::runtime_error("memfd_create: " + ErrorText(errno));

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork: " + ErrorText(errno));
    if (pid_ == 0) {
      if (gate != nullptr) gate->WaitInChild();
      const int nothing = open("/dev/null", O_RDWR);
      dup2(nothing, 0);
      dup2(nothing, 1);
      dup2(err_, 2);
      if (launch.fileSizeLimit) {
        const rlimit limit{*launch.fileSizeLimit, *launch.fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      execve(kDecoder, argPointers.data(), envPointers.data());
      _exit(127);
    }
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (err_ >= 0) close(err_);
  }

  Finished Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    Finished finished;
    if (WIFEXITED(status)) finished.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) finished.signalNumber = WTERMSIG(status);
    finished.err = StandardError();
    return finished;
  }

  // SIGKILL now; a program that had already ended reports its own status.
  Finished Kill() {
    kill(pid_, SIGKILL);
    return Wait();
  }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  std::string StandardError() const {
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
      const ssize_t count = pread(err_, buffer, sizeof buffer, offset);
      if (count <= 0) break;
      text.append(buffer, static_cast<size_t>(count));
      offset += count;
    }
    return text;
  }

  pid_t pid_ = -1;
  int err_ = -1;
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

// ---- Folder contents ----------------------------------------------------------------------------

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
  std::vector<std::string> temporary;
  for (const std::string& name : NamesIn(folder)) {
    if (name.ends_with(".tmp")) temporary.push_back(name);
  }
  return temporary;
}

// ---- Output folders that fill up ----------------------------------------------------------------

TEST(DecoderUnderRealFaults, OutputThatDoesNotFitFailsAndKeepsItsInput) {
  if (auto why = MountsUnavailable()) GTEST_SKIP() << *why;
  const std::string noSpace = ErrorText(ENOSPC);
  const std::string tooLarge = ErrorText(EFBIG);
  struct Case {
    const char* what;
    const char* tmpfsOptions;  // the output folder is a tmpfs mounted so; nullptr: /tmp
    std::optional<rlim_t> fileSizeLimit;
    std::vector<size_t> inputSizes;
    std::vector<Fate> fates;
    size_t olderOutputSize;  // an output of the first input already there, replaced with -f
    std::vector<std::string> args;
    std::string reason;  // the system's words in every failure line
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
    const std::vector<std::string> lines = SplitLines(run.err);
    EXPECT_FALSE(lines.empty()) << "a file that cannot fit must be reported";
    EXPECT_EQ(run.exitCode, lines.empty() ? 0 : 1) << run.err;
    for (const std::string& line : lines) {
      EXPECT_NE(line.find("に書けません（" + c.reason + "）"), std::string::npos) << line;
    }
    for (size_t i = 0; i < logs.size(); ++i) {
      ExpectFate(logs[i], c.fates[i], run.err, i == 0 ? olderOutput : std::vector<uint8_t>{});
    }
    std::vector<std::string> outputs;
    for (const LogFile& log : logs) {
      if (PathExists(log.output)) outputs.push_back(log.output.substr(log.output.rfind('/') + 1));
    }
    EXPECT_EQ(NamesIn(out.path()), outputs) << "only whole outputs are left";
    EXPECT_EQ(TemporaryFilesIn(in.path()), std::vector<std::string>{});
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

// How a case's files end.
enum class After {
  InputOnly,       // the input as it was, no new output (an older one untouched)
  InputAndOutput,  // decrypted, but the input could not be deleted
  OutputOnly,      // decrypted and the input deleted
};

TEST(DecoderUnderRealFaults, UnopenableUndeletableOrUnwritableFilesAreReportedAndNothingLost) {
  if (auto why = MountsUnavailable()) GTEST_SKIP() << *why;
  using Prepare = std::function<void(Scene&, const LogFile&)>;
  struct Case {
    const char* what;
    Prepare prepare;
    bool force;  // -f, with an older output there beforehand
    int exitCode;
    std::string message;  // in the one line printed; "" for none
    After after;
  };
  const Case cases[] = {
      {"input locked by another process, older output and -f",
       [](Scene& s, const LogFile& log) { s.lock = std::make_unique<LockHolder>(log.input); }, true,
       1, "ファイルを読めません（" + ErrorText(EWOULDBLOCK) + "）", After::InputOnly},
      {"input folder mounted read-only",
       [](Scene& s, const LogFile&) {
         s.mounts.push_back(Mount::ReadOnlyBind(s.in.path(), s.in.path()));
       },
       false, 1, "元のファイルを削除できません（" + ErrorText(EROFS) + "）", After::InputAndOutput},
      {"output folder mounted read-only",
       [](Scene& s, const LogFile&) {
         s.mounts.push_back(Mount::ReadOnlyBind(s.out.path(), s.out.path()));
       },
       false, 1, "に書けません（" + ErrorText(EROFS) + "）", After::InputOnly},
      {"output folder a tmpfs remounted read-only",
       [](Scene& s, const LogFile&) {
         s.mounts.push_back(Mount::Tmpfs(s.out.path(), "size=4m"));
         s.mounts.back()->RemountReadOnly();
       },
       false, 1, "に書けません（" + ErrorText(EROFS) + "）", After::InputOnly},
      {"output folder missing",
       [](Scene& s, const LogFile&) { s.outputFolder = s.out / "missing"; }, false, 1,
       "がありません。", After::InputOnly},
      {"output folder on another file system",
       [](Scene& s, const LogFile&) { s.mounts.push_back(Mount::Tmpfs(s.out.path(), "size=4m")); },
       false, 0, "", After::OutputOnly},
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

    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.message.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    if (c.after == After::OutputOnly) {
      EXPECT_FALSE(PathExists(log.input));
    } else {
      ASSERT_TRUE(PathExists(log.input));
      EXPECT_EQ(DifferenceFrom(log.input, log.cipher), "");
    }
    if (c.after != After::InputOnly) {
      ASSERT_TRUE(PathExists(log.output));
      EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
    } else if (c.force) {
      EXPECT_EQ(DifferenceFrom(log.output, older), "") << "the older output was touched";
    } else {
      EXPECT_FALSE(PathExists(log.output));
    }
    if (PathExists(scene.outputFolder)) {
      EXPECT_EQ(TemporaryFilesIn(scene.outputFolder), std::vector<std::string>{});
    }
    EXPECT_EQ(TemporaryFilesIn(scene.in.path()), std::vector<std::string>{});
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
                         ": 複号化しましたが、元のファイルを削除できません（" + ErrorText(EPERM) +
                         "）。\n");
  EXPECT_EQ(DifferenceFrom(log.input, log.cipher), "");
  EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"A.$S$", "A.CSV"}));
}

// ---- Killed runs --------------------------------------------------------------------------------

TEST(DecoderUnderRealFaults, SigkillAtAnyMomentLeavesTheInputOrTheWholeOutput) {
  constexpr int kRuns = 50;
  constexpr size_t kSize = 64 * kMiB;
  const uint64_t seed = KillSeed();
  std::cout << "[   seed   ] VELLUNORA_KILL_SEED=" << seed << " reproduces these kills\n";
  RecordProperty("kill_seed", std::to_string(seed));

  TempFolder folder;
  const LogFile log = WriteLog(folder.path(), "BIG.$S$", kSize, 5, folder.path());
  const std::regex temporaryName(R"(BIG\.CSV\.~[0-9a-f]{8}\.tmp)");
  const auto restoreInput = [&] {
    if (!PathExists(log.input)) WriteFileBytes(log.input, log.cipher);
    std::remove(log.output.c_str());
  };

  // Whole runs first: they must succeed, and the shortest bounds the random moments.
  auto length = std::chrono::microseconds::max();
  for (int whole = 0; whole < 3; ++whole) {
    const auto start = std::chrono::steady_clock::now();
    const Finished run = RunDecoder({{log.input}, std::nullopt});
    length = std::min(length, std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::steady_clock::now() - start));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(DifferenceFrom(log.output, log.plain), "");
    ASSERT_FALSE(PathExists(log.input));
    restoreInput();
  }

  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> moment(0, length.count());
  std::map<std::string, int> outcomes;
  std::vector<uint64_t> leftoverSizes;
  std::vector<std::string> previousLeftovers;
  for (int run = 0; run < kRuns; ++run) {
    const std::chrono::microseconds delay(moment(random));
    SCOPED_TRACE("run " + std::to_string(run) + ", killed after " + std::to_string(delay.count()) +
                 " us, VELLUNORA_KILL_SEED=" + std::to_string(seed));
    Decoder decoder({{log.input}, std::nullopt});
    std::this_thread::sleep_for(delay);
    const Finished end = decoder.Kill();

    bool input = false, output = false;
    std::vector<std::string> leftovers;
    for (const std::string& name : folder.Names()) {
      const std::string path = folder / name;
      if (path == log.input) {
        input = true;
        EXPECT_EQ(DifferenceFrom(path, log.cipher), "") << "the input changed";
      } else if (path == log.output) {
        output = true;
        EXPECT_EQ(DifferenceFrom(path, log.plain), "") << "a partial file has the final name";
      } else if (std::regex_match(name, temporaryName)) {
        if (std::find(previousLeftovers.begin(), previousLeftovers.end(), name) !=
            previousLeftovers.end()) {
          continue;
        }
        leftovers.push_back(name);
        EXPECT_EQ(NotAPartOf(path, log.plain), "");
        leftoverSizes.push_back(std::filesystem::file_size(path));
      } else {
        ADD_FAILURE() << "unexpected file " << name;
      }
    }
    ASSERT_TRUE(input || output) << "both the input and the output are gone";
    if (end.signalNumber == 0) {
      EXPECT_EQ(end.exitCode, 0) << end.err;
      EXPECT_TRUE(output && !input && leftovers.empty()) << "a run that ended left its work undone";
      ++outcomes["ended before the kill"];
    } else if (output) {
      ++outcomes[input ? "killed between the move and the deletion" : "killed after the deletion"];
    } else {
      ++outcomes[leftovers.empty() ? "killed before the temporary file"
                                   : "killed while writing the temporary file"];
    }
    EXPECT_LE(leftovers.size(), 1u);

    // The next run starts beside this run's leftovers, as a user's rerun would.
    for (const std::string& name : previousLeftovers) std::remove((folder / name).c_str());
    previousLeftovers = leftovers;
    restoreInput();
  }

  const Finished after = RunDecoder({{log.input}, std::nullopt});
  EXPECT_EQ(after.exitCode, 0) << "a run beside leftover temporary files failed: " << after.err;
  EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
  EXPECT_FALSE(PathExists(log.input));

  std::cout << "[ outcomes ]";
  for (const auto& [what, count] : outcomes) std::cout << " " << what << ": " << count << ";";
  std::cout << "\n[ leftover ] " << leftoverSizes.size() << " temporary files of";
  for (const uint64_t size : leftoverSizes) std::cout << " " << size;
  std::cout << " bytes\n";
}

// ---- Two decoders on one folder -----------------------------------------------------------------

// The input a line of the decoder is about, and whether it says the file was decrypted.
struct LineAbout {
  size_t file = SIZE_MAX;
  bool decrypted = false;
  std::string rest;
};

LineAbout ParseLine(const std::string& line, const std::vector<LogFile>& logs) {
  LineAbout about;
  if (!line.starts_with(kDecoderLinePrefix)) return about;
  const std::string_view text = std::string_view(line).substr(std::strlen(kDecoderLinePrefix));
  for (size_t i = 0; i < logs.size(); ++i) {
    if (text.starts_with(logs[i].input + " -> " + logs[i].output + ": 複号化しました。")) {
      about.file = i;
      about.decrypted = true;
    } else if (text.starts_with(logs[i].input + ": ")) {
      about.file = i;
      about.rest = text.substr(logs[i].input.size() + 2);
    }
  }
  return about;
}

TEST(DecoderUnderRealFaults, TwoDecodersStartedTogetherDecryptEveryFileExactlyOnce) {
  constexpr size_t kFiles = 20;
  constexpr int kRounds = 3;
  // What a decoder may say about a file the other one took: busy, gone, or done already.
  const std::vector<std::string> allowedFailures = {
      "複号化に失敗しました。ファイルを読めません（" + ErrorText(EWOULDBLOCK) + "）。",
      "複号化に失敗しました。ファイルがありません。",
      "複号化に失敗しました。ファイルを読めません（" + ErrorText(ENOENT) + "）。",
      "がすでにあります（置き換えるには -f）。",
      "複号化しましたが、元のファイルを削除できません（" + ErrorText(ENOENT) + "）。",
  };
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
        bool failed = false;
        int decrypted = 0;
        for (const std::string& line : SplitLines(run.err)) {
          // The other decoder may have taken every file before this one looked.
          if (line == kDecoderLinePrefix + ("フォルダー " + folder.path()) +
                          " に *.$S$ ファイルがありません。") {
            continue;
          }
          const LineAbout about = ParseLine(line, logs);
          ASSERT_NE(about.file, SIZE_MAX) << "a line about no file: " << line;
          if (about.decrypted) {
            ++decryptedBy[about.file];
            ++decrypted;
            continue;
          }
          failed = true;
          EXPECT_TRUE(
              std::any_of(allowedFailures.begin(), allowedFailures.end(),
                          [&](const std::string& reason) { return about.rest.ends_with(reason); }))
              << "an unexpected reason: " << line;
        }
        EXPECT_EQ(run.exitCode, failed ? 1 : 0) << run.err;
        std::cout << " " << decrypted << " files, exit " << run.exitCode << ";";
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
