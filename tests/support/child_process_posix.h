#pragma once
// Programs that tests start as child processes, on POSIX systems: a program path, its
// arguments, a whole environment and the three standard streams, nothing inherited by
// accident. A child still running when its object goes away is killed and reaped.

#include <sys/resource.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A file descriptor, closed when the object goes away. Move-only; -1 holds nothing.
class Descriptor {
 public:
  explicit Descriptor(int descriptor = -1) noexcept : descriptor_(descriptor) {}
  Descriptor(Descriptor&& other) noexcept;
  Descriptor& operator=(Descriptor&& other) noexcept;
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Reset(); }

  int get() const { return descriptor_; }
  // Closes the descriptor held, if any, and holds descriptor instead.
  void Reset(int descriptor = -1) noexcept;

 private:
  int descriptor_;
};

// A pipe; both ends are closed on exec, so only what a child takes as a standard stream
// reaches the program. Throws std::runtime_error when the system refuses.
struct Pipe {
  Descriptor read, write;
};
Pipe MakePipe();

// Holds children before they exec until Open(), so that several start at one moment.
class StartGate {
 public:
  StartGate() : gate_(MakePipe()) {}
  // Lets every child waiting at the gate go on; one that comes later does not wait.
  void Open() { gate_.write.Reset(); }
  // In a child: blocks until the parent opens the gate.
  void WaitInChild() const;

 private:
  Pipe gate_;
};

// A standard stream the child starts without, as after "2>&-" in a shell.
inline constexpr int kClosedStream = -2;

struct ChildLaunch {
  std::string program;                   // a path: PATH is not searched
  std::vector<std::string> args;         // after the program's own name
  std::vector<std::string> environment;  // NAME=VALUE, the whole environment
  // Descriptors of the caller's that become the child's standard input, output and error;
  // -1 for /dev/null, kClosedStream for none at all. They should be closed on exec (MakePipe's
  // are), or the program inherits them as well.
  int input = -1;
  int output = -1;
  int error = -1;
  std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE in the child, soft and hard
  const StartGate* gate = nullptr;      // if set, the child waits there before its exec
  std::string folder = {};              // its current folder; "" for the caller's
};

// How a child ended.
struct ChildEnd {
  int exitCode = -1;     // -1 when a signal ended the program
  int signalNumber = 0;  // the signal that ended it, else 0
};

// A status from waitpid, taken apart.
ChildEnd EndOf(int status);

// Whether process pid is writing an output in folder: it holds an unnamed file there (shown
// as "folder/#inode (deleted)"), or a file whose name starts with "~" exists there (the named
// temporary file of a file system without unnamed files).
bool IsWritingAnOutputIn(pid_t pid, const std::string& folder);

// Whether the writable memory of process pid (stopped, for a stable answer) holds bytes
// anywhere; none when it cannot be read (reading another user's or an undumpable process
// takes the right to trace it).
std::optional<bool> MemoryHolds(pid_t pid, std::string_view bytes);

// The pointers execve takes: one to each text, then nullptr. They point into texts, which
// must outlive them.
std::vector<char*> PointersTo(std::vector<std::string>& texts);

// A program running as a child process in a session of its own, so that it has no
// controlling terminal and a prompt cannot reach whoever runs the tests. A program that
// cannot be executed ends with exit code 127.
class ChildProcess {
 public:
  // Throws std::runtime_error when fork fails.
  explicit ChildProcess(const ChildLaunch& launch);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // The child's process id; -1 once it has been reaped.
  pid_t pid() const { return pid_; }
  // Waits for the child to end and reaps it.
  ChildEnd Wait();
  // SIGKILL now, then Wait(): a program that had already ended reports its own end.
  ChildEnd Kill();

 private:
  pid_t pid_ = -1;
};
