#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/held_output.h"
#include "platform/path_text.h"
#include "platform/posix_calls.h"

namespace platform {
namespace {

// An unnamed file gets its name through its /proc/self/fd entry; without /proc mounted it
// could never be named, so the named temporary file is used instead.
bool CanNameUnnamedFiles() {
  static const bool can = access("/proc/self/fd", X_OK) == 0;
  return can;
}

// The permission bits the umask allows a new file. The umask can only be read by setting it;
// it is set to the strictest value meanwhile, so a file another thread creates in that moment
// is never more readable than intended.
mode_t UmaskAllows() {
  static const mode_t allowed = [] {
    const mode_t mask = umask(0077);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return allowed;
}

// Gives the output the input's permission bits, as gzip and xz do, or fewer where the umask
// allows fewer. Where the output's group differs from the input's and cannot be made the
// same, the group gets nothing, and others only what the input's group had as well: the
// input's group may have been denied what others were allowed. refused stands in for the
// system's answer to the change of bits (the test seam), 0 for the real one.
SystemError MatchPermissions(int output, int input, SystemError refused) {
  struct stat in {};
  struct stat out {};
  if (fstat(input, &in) != 0 || fstat(output, &out) != 0) return LastPosixError();
  mode_t mode = in.st_mode & 0777 & UmaskAllows();
  if (out.st_gid != in.st_gid && fchown(output, static_cast<uid_t>(-1), in.st_gid) != 0) {
    mode = static_cast<mode_t>((mode & 0700) | (mode & 0007 & (mode >> 3)));
  }
  const SystemError error =
      refused != 0 ? refused : fchmod(output, mode) == 0 ? 0 : LastPosixError();
  // A file system without permission bits (FAT on a memory stick, many FUSE and shared
  // folders) refuses any change to a file of the caller's own: there the mount decides who
  // reads every file, this one included, and an output written anyway is what a user of such
  // a file system gets from every other program.
  return error == EPERM || error == ENOSYS || error == EOPNOTSUPP ? 0 : error;
}

SystemError LinkUnnamed(int descriptor, const std::string& path) {
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0
             ? 0
             : LastPosixError();
}

}  // namespace

SystemError HeldOutput::OpenBeside() {
  const size_t nameStart = FileNameStart(finalPath_);
  const std::string folder = nameStart == 0 ? "." : finalPath_.substr(0, nameStart);
  if (CanNameUnnamedFiles()) {
    File unnamed(RetryOnInterrupt([&] {
                   return open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
                 }),
                 true);
    // EISDIR: a kernel from before unnamed files; EOPNOTSUPP: a file system without them.
    if (!unnamed.IsOpen() && errno != EISDIR && errno != EOPNOTSUPP) return LastPosixError();
    file_ = std::move(unnamed);
  }
  if (file_.IsOpen()) return 0;
  // The fallback: a named file, removed on every way out but a kill.
  const std::string_view finalName = std::string_view(finalPath_).substr(nameStart);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        finalPath_.substr(0, nameStart) + TemporaryNameFor(finalName, RandomForTemporaryName());
    File named(RetryOnInterrupt([&] {
                 return open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
               }),
               true);
    if (named.IsOpen()) {
      file_ = std::move(named);
      temporaryPath_ = std::move(candidate);
      return 0;
    }
    if (errno != EEXIST) return LastPosixError();
  }
  return EEXIST;
}

Result<HeldOutput> HeldOutput::Create(const std::string& finalPath, const File& source) {
  if (const auto injected = fault::Take(fault::Operation::Create)) {
    return {std::nullopt, injected.error};
  }
  HeldOutput output;
  output.finalPath_ = finalPath;
  if (const SystemError error = output.OpenBeside()) return {std::nullopt, error};
  const SystemError matched = MatchPermissions(output.file_.descriptor_, source.descriptor_,
                                               fault::Take(fault::Operation::Guard).error);
  if (matched != 0) return {std::nullopt, matched};
  return {std::move(output), 0};
}

SystemError HeldOutput::ProbeFolder(const std::string& folder) {
  HeldOutput probe;
  probe.finalPath_ = PathInFolder(folder, kProbeName);
  return probe.OpenBeside();
}

SystemError HeldOutput::Commit(bool sync, bool replaceExisting) {
  if (sync) {
    if (const SystemError error = file_.Flush()) return error;
  }
  if (!temporaryPath_.empty()) {
    if (const SystemError error = MoveFilePath(temporaryPath_, finalPath_, replaceExisting)) {
      return error;
    }
    temporaryPath_.clear();
  } else {
    if (const auto injected = fault::Take(fault::Operation::Move)) return injected.error;
    SystemError error = LinkUnnamed(file_.descriptor_, finalPath_);
    if (error == EEXIST && replaceExisting) {
      // A link cannot replace; a rename can, atomically. The file is named only for the moment
      // between the two calls.
      const size_t nameStart = FileNameStart(finalPath_);
      const std::string_view finalName = std::string_view(finalPath_).substr(nameStart);
      for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const std::string linked = finalPath_.substr(0, nameStart) +
                                   TemporaryNameFor(finalName, RandomForTemporaryName());
        error = LinkUnnamed(file_.descriptor_, linked);
        if (error == 0 && rename(linked.c_str(), finalPath_.c_str()) != 0) {
          error = LastPosixError();
          unlink(linked.c_str());
        }
      }
    }
    if (error != 0) return error;
  }
  // Once synced, the data is on the disk whatever the close says; unsynced, a close error
  // (a network file system's deferred write) may mean that it is not.
  const SystemError closed = file_.Close();
  return sync ? 0 : closed;
}

void HeldOutput::Discard() {
  file_.Close();
  if (!temporaryPath_.empty()) unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

}  // namespace platform
