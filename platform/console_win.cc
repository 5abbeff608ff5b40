#include <windows.h>

#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/text_encoding_win.h"
#include "platform/win_handles.h"

namespace platform {
namespace {

// The program's narrow text is code page 932 (-fexec-charset=CP932).
constexpr unsigned kProgramCodePage = 932;

// Puts the console's input mode back however the prompt ends.
class EchoOff {
 public:
  explicit EchoOff(HANDLE input) : input_(input) {
    if (!GetConsoleMode(input_, &saved_)) return;
    const DWORD quiet = (saved_ | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) &
                        ~static_cast<DWORD>(ENABLE_ECHO_INPUT);
    active_ = SetConsoleMode(input_, quiet) != FALSE;
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
  ~EchoOff() {
    if (active_) SetConsoleMode(input_, saved_);
  }
  bool active() const { return active_; }

 private:
  HANDLE input_;
  DWORD saved_ = 0;
  bool active_ = false;
};

HANDLE StandardHandle(ConsoleStream stream) {
  return GetStdHandle(stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void WriteWideToConsole(HANDLE console, const std::wstring& text) {
  const wchar_t* next = text.data();
  size_t left = text.size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(left < 8192 ? left : 8192);
    if (!WriteConsoleW(console, next, chunk, &written, nullptr) || written == 0) return;
    next += written;
    left -= written;
  }
}

void WriteBytes(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written == 0) {
      return;
    }
    text.remove_prefix(written);
  }
}

// Text shown on a console goes as UTF-16, whatever the console's code page.
void WriteProgramText(HANDLE target, std::string_view text) {
  if (IsConsole(target)) {
    std::wstring wide;
    if (windows::CodePageToWide(text, kProgramCodePage, wide)) {
      WriteWideToConsole(target, wide);
      return;
    }
  }
  const UINT outputCodePage = GetConsoleOutputCP();
  if (outputCodePage != 0 && outputCodePage != kProgramCodePage) {
    std::wstring wide;
    if (windows::CodePageToWide(text, kProgramCodePage, wide)) {
      const int size =
          WideCharToMultiByte(outputCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                              nullptr, 0, nullptr, nullptr);
      if (size > 0) {
        std::string converted(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(outputCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                            converted.data(), size, nullptr, nullptr);
        WriteBytes(target, converted);
        return;
      }
    }
  }
  WriteBytes(target, text);
}

// Appends without letting the string reallocate: a reallocation would leave a copy of the
// secret behind in freed memory.
template <typename Text, typename Unit>
void AppendSecret(Text& text, Unit unit) {
  if (text.size() == text.capacity()) {
    Text larger;
    larger.reserve(text.capacity() * 2 + 64);
    larger.assign(text);
    windows::WipeText(text);
    text.swap(larger);
  }
  text.push_back(unit);
}

Result<std::string> ReadLineFrom(HANDLE input, size_t limit) {
  std::string line;
  line.reserve(256);
  while (line.size() < limit) {
    if (InterruptRequested()) {
      windows::WipeText(line);
      return {std::nullopt, ERROR_OPERATION_ABORTED};
    }
    char byte = 0;
    DWORD count = 0;
    if (!ReadFile(input, &byte, 1, &count, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      windows::WipeText(line);
      return {std::nullopt, error};
    }
    if (count == 0) break;
    AppendSecret(line, byte);
    if (byte == '\n') break;
  }
  return {std::move(line), 0};
}

}  // namespace

void WriteConsoleText(ConsoleStream stream, std::string_view text) {
  WriteProgramText(StandardHandle(stream), text);
}

bool IsTerminal(ConsoleStream stream) { return IsConsole(StandardHandle(stream)); }

PromptResult ReadHiddenLine(std::string_view prompt) {
  PromptResult result;
  // The console itself, even when the standard streams are redirected.
  const KernelHandle input(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
  const KernelHandle output(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (!input || !output || !IsConsole(input.Get())) {
    result.status = PromptStatus::NoTerminal;
    return result;
  }
  const EchoOff echoOff(input.Get());
  if (!echoOff.active()) {
    result.error = GetLastError();
    result.status = PromptStatus::Failed;
    return result;
  }
  WriteProgramText(output.Get(), prompt);

  // Read as UTF-16, so what the user typed arrives whole whatever the console's code page.
  std::wstring line;
  line.reserve(1024);
  result.status = PromptStatus::Read;
  for (;;) {
    // Ctrl-C ends a read that is waiting; this catches one that came between two reads.
    if (InterruptRequested()) {
      result.status = PromptStatus::Interrupted;
      break;
    }
    wchar_t unit = 0;
    DWORD count = 0;
    if (!ReadConsoleW(input.Get(), &unit, 1, &count, nullptr)) {
      const DWORD error = GetLastError();
      result.error = error;
      result.status =
          error == ERROR_OPERATION_ABORTED ? PromptStatus::Interrupted : PromptStatus::Failed;
      break;
    }
    // Ctrl-C ends the read with nothing read; its handler has recorded it.
    if (count == 0) {
      result.status = PromptStatus::Interrupted;
      break;
    }
    if (unit == L'\n') break;
    if (unit == L'\r') continue;
    AppendSecret(line, unit);
  }
  WriteProgramText(output.Get(), "\r\n");

  if (result.status == PromptStatus::Read) {
    char32_t failed = 0;
    if (!windows::WideToCodePage(line, windows::UserCodePage(), result.line, &failed)) {
      result.status = PromptStatus::Failed;
      result.error = ERROR_NO_UNICODE_TRANSLATION;
    }
  }
  windows::WipeText(line);
  return result;
}

Result<std::string> ReadStandardInputLine(size_t limit) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) {
    return {std::nullopt, ERROR_INVALID_HANDLE};
  }
  return ReadLineFrom(input, limit);
}

Result<std::string> ReadFirstLineOfFile(const std::string& path, size_t limit) {
  const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {std::nullopt, GetLastError()};
  return ReadLineFrom(file.Get(), limit);
}

}  // namespace platform
