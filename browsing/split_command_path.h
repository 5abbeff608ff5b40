#pragma once
// Splitting a path as a user or a caller wrote it into the drive letter, directory part and
// file part that the browsing controls work with. Every search for "\" or ":" steps over
// whole characters of the ANSI code page, so the trail byte 0x5C of "ソ" or "表" is never
// taken for a separator. "/" separates as "\" does, as it does for the system's own calls
// ("Z:/logs/a.$S$").

#include <string>
#include <string_view>

struct CommandPathParts {
  // The drive's letter as written (not case-converted); for a path without a drive, the
  // letter of the process's current directory; 0 for a network path.
  char driveLetter = 0;
  // Without the drive ("\logs", "\" for a root), relative when the path was relative with
  // a directory in front of its last name ("sub"); for a network path the whole directory
  // path from "\\server\share" on.
  std::string directoryPart;
  // The last name when it is an existing file or holds "*" or "?"; empty when the path
  // names a directory.
  std::string filePart;

  friend bool operator==(const CommandPathParts&, const CommandPathParts&) = default;
};

// Splits path, entering directories on the way to tell files from directories and to
// resolve what a relative path is relative to. Every "/" is read as "\" first, so the
// parts come back with "\" only. The process's current directory is put back afterwards
// on every way out, provided it still exists as a directory.
// Raises EInOutError with the system's error code when a directory cannot be entered:
// the root (a drive's remembered directory, a share's root) when it exists but refuses
// entry, the directory part, a last name that is neither an existing file nor a pattern,
// or the saved current directory when it is put back after an otherwise successful split.
// A root that does not exist is passed over: the directory part is then taken on the
// current drive. An empty path gives the current directory's drive letter and directory
// part.
CommandPathParts SplitCommandPath(const std::string& path);
