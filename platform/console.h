#pragma once
// The console seam of the command-line decoder: message lines, terminal tests, the password
// prompt and the reading of a password line. Text passed in is the program's narrow text: UTF-8 in
// the POSIX build, code page 932 bytes in the Windows build.

#include <string>
#include <string_view>

#include "platform/file.h"

namespace platform {

enum class ConsoleStream { Output, Error };

// Writes text as it is, in one system call where the system allows, so that lines written by
// several threads never interleave. On a Windows console the text is converted to what the
// console shows; written to a file or pipe, it is converted to the console's output code page
// when that differs from 932. Failures are ignored: there is nowhere left to report them.
void WriteConsoleText(ConsoleStream stream, std::string_view text);

bool IsTerminal(ConsoleStream stream);

enum class PromptStatus {
  Read,
  NoTerminal,   // the process has no terminal to ask
  Interrupted,  // a signal or Ctrl-C arrived while waiting
  Failed,       // error says why
};

struct PromptResult {
  PromptStatus status = PromptStatus::Failed;
  std::string line;  // without its line break, in the user's text encoding (text_encoding.h)
  SystemError error = 0;
};

// Shows prompt on the terminal itself (/dev/tty, the console), not on a redirected stream,
// reads one line with echo off and restores the echo on every way out.
PromptResult ReadHiddenLine(std::string_view prompt);

// Reads up to and including the first "\n", at most limit bytes, from standard input or from
// the file at path (opened shared, so other readers are not locked out). Reads byte by byte,
// so nothing after the line is consumed and no copy of the line stays in a library buffer.
// The end of the input, or of a pipe whose writer has gone, ends the line.
Result<std::string> ReadStandardInputLine(size_t limit);
Result<std::string> ReadFirstLineOfFile(const std::string& path, size_t limit);

}  // namespace platform
