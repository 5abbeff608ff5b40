#include "tests/support/child_process_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

std::runtime_error SystemFailure(const char* what) {
  return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

Descriptor::Descriptor(Descriptor&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) Reset(std::exchange(other.descriptor_, -1));
  return *this;
}

void Descriptor::Reset(int descriptor) noexcept {
  if (descriptor_ >= 0) close(descriptor_);
  descriptor_ = descriptor;
}

Pipe MakePipe() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) throw SystemFailure("pipe");
  return {Descriptor(ends[0]), Descriptor(ends[1])};
}

void StartGate::WaitInChild() const {
  // The child's copy of the write end would otherwise keep the gate from ever reading as open.
  close(gate_.write.get());
  char byte;
  while (read(gate_.read.get(), &byte, 1) != 0 && errno == EINTR) {
  }
}

ChildEnd EndOf(int status) {
  ChildEnd end;
  if (WIFEXITED(status)) end.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end.signalNumber = WTERMSIG(status);
  return end;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

ChildProcess::ChildProcess(const ChildLaunch& launch) {
  // Everything the child needs is made before the fork: after it, the child calls only
  // functions that are safe there.
  std::vector<std::string> argv{launch.program};
  argv.insert(argv.end(), launch.args.begin(), launch.args.end());
  std::vector<std::string> envp = launch.environment;
  std::vector<char*> argPointers = PointersTo(argv);
  std::vector<char*> envPointers = PointersTo(envp);

  pid_ = fork();
  if (pid_ < 0) throw SystemFailure("fork");
  if (pid_ != 0) return;

  if (launch.gate != nullptr) launch.gate->WaitInChild();
  setsid();
  const int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
  const int streams[] = {launch.input, launch.output, launch.error};
  for (int target = 0; target < 3; ++target) {
    dup2(streams[target] >= 0 ? streams[target] : nothing, target);
  }
  for (int target = 0; target < 3; ++target) {
    if (streams[target] == kClosedStream) close(target);
  }
  if (launch.fileSizeLimit) {
    const rlimit limit{*launch.fileSizeLimit, *launch.fileSizeLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  if (!launch.folder.empty() && chdir(launch.folder.c_str()) != 0) _exit(127);
  execve(argv[0].c_str(), argPointers.data(), envPointers.data());
  _exit(127);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

ChildEnd ChildProcess::Wait() {
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return EndOf(status);
}

ChildEnd ChildProcess::Kill() {
  kill(pid_, SIGKILL);
  return Wait();
}

bool IsWritingAnOutputIn(pid_t pid, const std::string& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().filename().string().starts_with("~")) return true;
  }
  const std::string unnamed = folder + "/#";
  const std::filesystem::path descriptors = "/proc/" + std::to_string(pid) + "/fd";
  for (const auto& entry : std::filesystem::directory_iterator(descriptors, error)) {
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (target.starts_with(unnamed)) return true;
  }
  return false;
}

std::optional<bool> MemoryHolds(pid_t pid, std::string_view bytes) {
  const std::string process = "/proc/" + std::to_string(pid);
  const Descriptor memory(open((process + "/mem").c_str(), O_RDONLY | O_CLOEXEC));
  std::ifstream maps(process + "/maps");
  if (memory.get() < 0 || !maps) return std::nullopt;
  std::string line;
  while (std::getline(maps, line)) {
    // "start-end perms offset device inode [name]"; only writable memory can have received a
    // copy.
    unsigned long long start = 0, end = 0;
    char permissions[5] = {};
    if (std::sscanf(line.c_str(), "%llx-%llx %4s", &start, &end, permissions) != 3) continue;
    if (permissions[0] != 'r' || permissions[1] != 'w') continue;
    // A piece at a time, each overlapping the last by bytes' length less one, so that a copy
    // across two pieces is found too.
    constexpr size_t kPiece = 1 << 20;
    std::string piece(kPiece + bytes.size(), '\0');
    for (unsigned long long at = start; at < end; at += kPiece) {
      const size_t length = static_cast<size_t>(std::min<unsigned long long>(piece.size(), end - at));
      const ssize_t read = pread(memory.get(), piece.data(), length, static_cast<off_t>(at));
      if (read < 0 && (errno == EACCES || errno == EPERM)) return std::nullopt;
      if (read <= 0) break;
      if (std::string_view(piece.data(), static_cast<size_t>(read)).find(bytes) != std::string_view::npos) {
        return true;
      }
    }
  }
  return false;
}
