#pragma once
// What the command-line decoder makes sure of before it does anything else.

namespace platform {

// POSIX: a standard stream (descriptor 0, 1 or 2) that the caller left closed is opened on
// /dev/null, so that no file the decoder opens can take its number and receive its messages;
// SIGPIPE is ignored, so that a reader of the messages going away costs no file its run (a
// write then simply fails); the process is made undumpable and its core limit 0, so that no
// core dump or other process's ptrace can read the password. Windows: nothing is needed.
// Returns whether standard output was closed: what goes there now goes nowhere.
struct StandardStreams {
  bool outputWasClosed = false;
};
StandardStreams PrepareCommandLineProcess();

}  // namespace platform
