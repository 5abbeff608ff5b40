#pragma once
// The text steps of SplitCommandPath (split_command_path.h), which need no file system: the
// split enters directories between them. The general path rules they build on (drive part,
// last name) are platform/path_text.h's.

#include <string>
#include <string_view>

// path with every "/" that stands as a whole character turned into "\".
std::string WithBackslashes(std::string_view path);

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
