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

// The text steps of the split, which need no file system.

// "E:" when the path's first character is a single-byte character followed by ":" (a
// double-byte character is never a drive letter); for a path beginning with "\\",
// everything before the "\" that follows the share name, or the whole path when there is
// none ("\\server\share"); otherwise empty.
std::string DrivePart(std::string_view path);

// The text after the last "\" or ":", or the whole text when there is neither.
std::string LastName(std::string_view path);

// The path without its drive part; "\" when nothing is left.
std::string WithoutDrivePart(std::string_view path);

// True when name holds "*" or "?".
bool IsPattern(std::string_view name);

struct RootedPath {
  char driveLetter = 0;
  // The drive part to enter before the directory part: the path's own, or the saved
  // current directory's for a path without one; empty for the "[name]" form.
  std::string root;
  std::string directoryPart;

  friend bool operator==(const RootedPath&, const RootedPath&) = default;
};

// Separates the root from path, given the saved current directory. "[name]" (how the file
// list writes a directory) gives name with no root and the saved directory's first
// character as drive letter; otherwise the drive letter is the root's first character
// when the root is "X:", else 0.
RootedPath SeparateRoot(std::string_view path, std::string_view savedDirectory);

// The directory part once the file part (its last name) is cut off: "\" when the file part
// follows a lone separator ("\a.$S$"); the text before the separator in front of the file
// part ("\logs\a.$S$" and "\logs\" give "\logs", "sub\a.$S$" gives "sub"); and for a bare
// name or empty text, currentDirectory without its drive part.
std::string CutDirectoryPart(std::string_view directoryPart, std::string_view filePart,
                             std::string_view currentDirectory);

// The directory part after its last name turned out to be a directory: "\" + name when
// the directory part is the root "\", else directoryPart + "\" + name, so a one-character
// relative directory stays in front (".\sub" stays below the current directory).
std::string DescendInto(std::string_view directoryPart, std::string_view name);

// The directory part of a path on a network share: root ("\\srv\share") in front of an
// absolute directory part; a relative one is left as it is.
std::string WithNetworkRoot(std::string_view root, std::string_view directoryPart);
