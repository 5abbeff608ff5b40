#include <fcntl.h>
#include <signal.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/posix_calls.h"

namespace platform {
namespace {

int DescriptorOf(ConsoleStream stream) {
  return stream == ConsoleStream::Output ? STDOUT_FILENO : STDERR_FILENO;
}

// A line that cannot be written (standard error in a pipe nobody reads, after an interruption)
// is dropped: it must never hold up the run or its end.
void WriteAllTo(int descriptor, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = WriteUnlessInterrupted(descriptor, text.data(), text.size());
    if (written < 0) return;
    text.remove_prefix(static_cast<size_t>(written));
  }
}

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

// Puts the terminal's echo back however the prompt ends.
class EchoOff {
 public:
  explicit EchoOff(int terminal) : terminal_(terminal) {
    if (tcgetattr(terminal_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
    quiet.c_lflag |= ICANON;
    active_ = tcsetattr(terminal_, TCSAFLUSH, &quiet) == 0;
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
  ~EchoOff() {
    if (active_) tcsetattr(terminal_, TCSAFLUSH, &saved_);
  }
  bool active() const { return active_; }

 private:
  int terminal_;
  termios saved_{};
  bool active_ = false;
};

// Holds back the signals interrupt.h records while the reader decides to wait, so one that
// arrives just before the wait cannot be missed: pselect lets it in and returns at once.
class InterruptSignalsHeld {
 public:
  InterruptSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, number);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  InterruptSignalsHeld(const InterruptSignalsHeld&) = delete;
  InterruptSignalsHeld& operator=(const InterruptSignalsHeld&) = delete;
  ~InterruptSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  const sigset_t& previous() const { return previous_; }

 private:
  sigset_t previous_{};
};

enum class ByteRead { Byte, End, Interrupted, Failed };

// One byte from descriptor, waiting for it as long as no interrupt is requested.
ByteRead ReadByte(int descriptor, char& byte, SystemError& error) {
  const InterruptSignalsHeld held;
  for (;;) {
    if (InterruptRequested()) return ByteRead::Interrupted;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(descriptor, &readable);
    if (pselect(descriptor + 1, &readable, nullptr, nullptr, nullptr, &held.previous()) < 0) {
      if (errno == EINTR) continue;
      error = static_cast<SystemError>(errno);
      return ByteRead::Failed;
    }
    const ssize_t count = read(descriptor, &byte, 1);
    if (count == 1) return ByteRead::Byte;
    if (count == 0) return ByteRead::End;
    if (errno == EINTR || errno == EAGAIN) continue;
    error = static_cast<SystemError>(errno);
    return ByteRead::Failed;
  }
}

// Appends without letting the string reallocate: a reallocation would leave a copy of the
// secret behind in freed memory.
void AppendSecret(std::string& line, char byte) {
  if (line.size() == line.capacity()) {
    std::string larger;
    larger.reserve(line.capacity() * 2 + 64);
    larger.assign(line);
    explicit_bzero(line.data(), line.size());
    line.swap(larger);
  }
  line.push_back(byte);
}

void WipeSecret(std::string& line) {
  explicit_bzero(line.data(), line.size());
  line.clear();
}

Result<std::string> ReadLineFrom(int descriptor, size_t limit) {
  std::string line;
  line.reserve(256);
  while (line.size() < limit) {
    char byte = 0;
    SystemError error = 0;
    const ByteRead read = ReadByte(descriptor, byte, error);
    if (read == ByteRead::End) break;
    if (read != ByteRead::Byte) {
      WipeSecret(line);
      return {std::nullopt, read == ByteRead::Interrupted ? static_cast<SystemError>(EINTR) : error};
    }
    AppendSecret(line, byte);
    if (byte == '\n') break;
  }
  return {std::move(line), 0};
}

bool MeansNoTerminal(int error) {
  return error == ENXIO || error == ENOENT || error == ENODEV || error == ENOTTY;
}

}  // namespace

void WriteConsoleText(ConsoleStream stream, std::string_view text) {
  WriteAllTo(DescriptorOf(stream), text);
}

bool IsTerminal(ConsoleStream stream) { return isatty(DescriptorOf(stream)) == 1; }

PromptResult ReadHiddenLine(std::string_view prompt) {
  PromptResult result;
  const Descriptor terminal(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (terminal.get() < 0) {
    result.error = static_cast<SystemError>(errno);
    result.status = MeansNoTerminal(errno) ? PromptStatus::NoTerminal : PromptStatus::Failed;
    return result;
  }
  if (isatty(terminal.get()) != 1) {
    result.status = PromptStatus::NoTerminal;
    return result;
  }
  const EchoOff echoOff(terminal.get());
  if (!echoOff.active()) {
    // Asking with the echo on would show the password on the screen.
    result.error = static_cast<SystemError>(errno);
    result.status = PromptStatus::Failed;
    return result;
  }
  WriteAllTo(terminal.get(), prompt);

  result.line.reserve(256);
  result.status = PromptStatus::Read;
  for (;;) {
    char byte = 0;
    const ByteRead read = ReadByte(terminal.get(), byte, result.error);
    if (read == ByteRead::Interrupted || read == ByteRead::Failed) {
      result.status =
          read == ByteRead::Interrupted ? PromptStatus::Interrupted : PromptStatus::Failed;
      WipeSecret(result.line);
      break;
    }
    if (read == ByteRead::End || byte == '\n') break;
    AppendSecret(result.line, byte);
  }
  // The user's Enter was not echoed; move on to a fresh line for what follows.
  WriteAllTo(terminal.get(), "\n");
  return result;
}

Result<std::string> ReadStandardInputLine(size_t limit) {
  return ReadLineFrom(STDIN_FILENO, limit);
}

Result<std::string> ReadFirstLineOfFile(const std::string& path, size_t limit) {
  const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return {std::nullopt, static_cast<SystemError>(errno)};
  return ReadLineFrom(file.get(), limit);
}

}  // namespace platform
