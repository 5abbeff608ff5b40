#pragma once
// A new output file that is held through its own handle from its creation until it has its
// final name: nobody else can open it half-written, and a process killed on the way leaves
// nothing behind.
//
// Windows: created under a temporary name in the output folder with share mode 0, to be deleted
// when its handle closes; its final name is added as a hard link through that handle, and the
// closing takes the temporary name away (a copy where the file system has no hard links). POSIX: an unnamed file in the output folder (O_TMPFILE), linked to its final
// name when whole; where the file system has no unnamed files, a named temporary file removed
// on every way out but a kill.
//
// The temporary names are never longer than the final name, so an output whose final path fits
// the system's limits never fails for its temporary name.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace platform {

class HeldOutput {
 public:
  HeldOutput() = default;
  HeldOutput(HeldOutput&& other) noexcept;
  HeldOutput& operator=(HeldOutput&& other) noexcept;
  HeldOutput(const HeldOutput&) = delete;
  HeldOutput& operator=(const HeldOutput&) = delete;
  // Discards the file unless Commit() gave it its name.
  ~HeldOutput();

  // Creates the output for finalPath in finalPath's folder. On POSIX its permission bits are
  // source's, narrowed to what the umask allows, and it is never readable by others before
  // that; on Windows it keeps the folder's inherited permissions.
  static Result<HeldOutput> Create(const std::string& finalPath, const File& source);

  // Whether folder can take a new output: one is made there as Create makes it (an unnamed
  // file, or a temporary one that goes when it is closed) and discarded at once, which leaves
  // the folder as it was. 0 when it could, else the system's reason.
  static SystemError ProbeFolder(const std::string& folder);

  File& file() { return file_; }

  // Forces the data to the disk (when sync), gives the file finalPath and closes it. With
  // replaceExisting an existing file of that name is replaced, retrying briefly while another
  // program holds it (Windows); without, the call fails with the system's "exists" error and
  // the existing file is left alone. On failure the file is discarded.
  SystemError Commit(bool sync, bool replaceExisting);

 private:
  // The final name a probe's file stands in for: as long as a usual output's, so its temporary
  // name is as long too.
  static constexpr char kProbeName[] = "LOG0001.CSV";

  void Discard();
#ifdef _WIN32
  static Result<File> CreateBeside(const std::string& finalPath, unsigned long flags,
                                   std::string& path);
  static SystemError CommitCopy(File& source, const std::string& finalPath, bool sync,
                                bool replaceExisting);
#else
  // Opens the file of an output whose finalPath_ is set: unnamed where the system allows.
  SystemError OpenBeside();
#endif

  File file_;
  std::string finalPath_;
  std::string temporaryPath_;  // the name it has while it is written; "" for an unnamed file
};

// A temporary name for a file called finalName: "~", random letters and digits, and ".tmp"
// where there is room; never more characters than finalName (bytes on POSIX, whole characters
// of the ANSI code page on Windows) and never fewer than one.
std::string TemporaryNameFor(std::string_view finalName, uint64_t random);

// Where the file name of path starts: after its last separator ("\\", "/" or ":" on Windows,
// "/" on POSIX), stepping over whole characters.
size_t FileNameStart(std::string_view path);

// A fresh random number for TemporaryNameFor, from a generator of the calling thread's own.
uint64_t RandomForTemporaryName();

}  // namespace platform
