#include "engine/decrypt_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "engine/decrypt_buffer.h"
#include "engine/output_path.h"
#include "engine/ranged_copy.h"
#include "platform/file.h"

#ifdef _WIN32
// The two codes Windows gives for a name that is taken, without including <windows.h> here.
constexpr platform::SystemError kNameTakenErrors[] = {80 /* ERROR_FILE_EXISTS */,
                                                      183 /* ERROR_ALREADY_EXISTS */};
#else
constexpr platform::SystemError kNameTakenErrors[] = {EEXIST};
#endif

namespace {

using platform::File;
using platform::SystemError;

// Large enough that system calls cost nothing next to the cipher, small enough to stay in the
// core's cache between the read, the decryption and the write; a multiple of 8.
constexpr size_t kBufferSize = 256 * 1024;
static_assert(kBufferSize % 8 == 0);
// Each extra worker needs this much of the file to repay its thread.
constexpr uint64_t kBytesPerWorker = 4 * kBufferSize;

bool IsNameTaken(SystemError error) {
  return std::find(std::begin(kNameTakenErrors), std::end(kNameTakenErrors), error) !=
         std::end(kNameTakenErrors);
}

DecryptResult Failure(DecryptStatus status, SystemError error = 0) {
  DecryptResult result;
  result.status = status;
  result.error = error;
  return result;
}

// The output while it is being written: a file of its own name in the output folder, so a
// file under the final name is always whole. Removed unless Commit() moved it into place.
class TemporaryOutput {
 public:
  TemporaryOutput() = default;
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;
  ~TemporaryOutput() {
    if (path_.empty()) return;
    file_.Close();
    platform::DeleteFilePath(path_);
  }

  // Creates a new file named after finalPath with a random suffix.
  SystemError Create(const std::string& finalPath) {
    thread_local std::minstd_rand random{std::random_device{}()};
    SystemError error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
      char suffix[16];  // ".~" + 8 digits + ".tmp": 14 characters, never cut
      (void)std::snprintf(suffix, sizeof suffix, ".~%08x.tmp", static_cast<unsigned>(random()));
      std::string candidate = finalPath + suffix;
      auto created = File::CreateExclusiveNew(candidate);
      if (created) {
        file_ = std::move(*created.value);
        path_ = std::move(candidate);
        return 0;
      }
      error = created.error;
      if (!IsNameTaken(error)) break;
    }
    return error;
  }

  File& file() { return file_; }

  // Flushes (when asked), closes and gives the file its final name.
  SystemError Commit(const std::string& finalPath, bool sync, bool replaceExisting) {
    if (sync) {
      if (const SystemError error = file_.Flush()) return error;
    }
    if (const SystemError error = file_.Close()) return error;
    if (const SystemError error = platform::MoveFilePath(path_, finalPath, replaceExisting)) {
      return error;
    }
    path_.clear();
    return 0;
  }

 private:
  File file_;
  std::string path_;
};

bool StartsWithMagic(const std::vector<uint8_t>& plaintext) {
  return std::memcmp(plaintext.data(), kLogMagic, sizeof kLogMagic) == 0;
}

// Decrypts the rest of input into output, starting with the already decrypted first
// buffer. Reports which side failed.
DecryptResult CopyDecrypted(const BlowfishContext& key, File& input, File& output,
                            std::vector<uint8_t>& buffer, size_t firstCount, uint64_t total,
                            const DecryptOptions& options) {
  DecryptResult result;
  size_t plainCount = firstCount;
  uint64_t done = 0;
  for (;;) {
    if (const SystemError error = output.WriteAll(std::span(buffer.data(), plainCount))) {
      return Failure(DecryptStatus::OutputUnwritable, error);
    }
    result.bytesWritten += plainCount;
    done = std::min<uint64_t>(result.bytesWritten, total);
    if (options.progress && !options.progress(done, total)) {
      return Failure(DecryptStatus::Interrupted);
    }
    auto read = input.Read(buffer);
    if (!read) return Failure(DecryptStatus::InputUnreadable, read.error);
    if (*read.value == 0) return result;
    plainCount = DecryptBuffer(key, buffer, *read.value);
  }
}

unsigned WorkersFor(const DecryptOptions& options, uint64_t size) {
  const uint64_t affordable = std::max<uint64_t>(size / kBytesPerWorker, 1);
  return static_cast<unsigned>(std::min<uint64_t>(std::max(options.workers, 1u), affordable));
}

// CopyDecrypted with the work after the first buffer shared among several threads.
DecryptResult CopyDecryptedSideBySide(const BlowfishContext& key, File& input, File& output,
                                      std::vector<uint8_t>& buffer, size_t firstCount,
                                      uint64_t total, const DecryptOptions& options) {
  if (const SystemError error = output.WriteAll(std::span(buffer.data(), firstCount))) {
    return Failure(DecryptStatus::OutputUnwritable, error);
  }
  RangedCopy copy;
  copy.start = kBufferSize;
  copy.total = total;
  copy.workers = WorkersFor(options, total);
  copy.bufferSize = kBufferSize;
  if (options.progress) {
    copy.keepGoing = [&](uint64_t done) {
      return options.progress(std::min(total, copy.start + done), total);
    };
  }
  DecryptResult result = CopyDecryptedInRanges(key, input, output, copy);
  if (result.status == DecryptStatus::Done) result.bytesWritten += firstCount;
  return result;
}

}  // namespace

uint64_t FindFileSize(const std::string& path) {
  return platform::FindFirstEntrySize(path).value_or(0);
}

DecryptResult DecryptLogFile(const BlowfishContext& key, const std::string& inputPath,
                          const std::string& outputPath, const DecryptOptions& options,
                          File* outputStream) {
  if (platform::QueryPathKind(inputPath) != platform::PathKind::File) {
    return Failure(DecryptStatus::InputMissing);
  }
  auto opened = File::OpenExclusiveForReading(inputPath);
  if (!opened) {
    // Another program (another decoder) may have deleted it since it was looked at.
    const bool gone = platform::IsNotFoundError(opened.error);
    return Failure(gone ? DecryptStatus::InputMissing : DecryptStatus::InputUnreadable,
                   opened.error);
  }
  File& input = *opened.value;
  // The size of the file held open, not of whatever the name meant a moment before.
  const auto sized = input.Size();
  if (!sized) return Failure(DecryptStatus::InputUnreadable, sized.error);
  const uint64_t size = *sized.value;
  if (size == 0) return Failure(DecryptStatus::InputEmpty);

  // Block 0 is checked before anything is created, so a wrong password never touches an
  // existing output.
  std::vector<uint8_t> buffer(kBufferSize);
  auto firstRead = input.Read(buffer);
  if (!firstRead) return Failure(DecryptStatus::InputUnreadable, firstRead.error);
  if (*firstRead.value == 0) return Failure(DecryptStatus::InputEmpty);
  const size_t firstCount = DecryptBuffer(key, buffer, *firstRead.value);
  if (!StartsWithMagic(buffer)) return Failure(DecryptStatus::WrongPassword);

  if (options.mode == OutputMode::CheckPassword) return DecryptResult{};
  if (options.mode == OutputMode::Stream) {
    if (outputStream == nullptr) return Failure(DecryptStatus::OutputUnwritable);
    return CopyDecrypted(key, input, *outputStream, buffer, firstCount, size, options);
  }

  // The output must never be the input under another name: replacing it would destroy the
  // only copy before the decryption is complete.
  const auto inputIdentity = input.Identity();
  const auto existingIdentity = platform::IdentityOfPath(outputPath);
  if (existingIdentity && (!inputIdentity || *existingIdentity == *inputIdentity)) {
    return Failure(DecryptStatus::OutputUnwritable);
  }
  if (existingIdentity && !options.replaceExisting) return Failure(DecryptStatus::OutputExists);

  TemporaryOutput output;
  if (const SystemError error = output.Create(outputPath)) {
    return Failure(DecryptStatus::OutputUnwritable, error);
  }
  DecryptResult result =
      WorkersFor(options, size) > 1
          ? CopyDecryptedSideBySide(key, input, output.file(), buffer, firstCount, size, options)
          : CopyDecrypted(key, input, output.file(), buffer, firstCount, size, options);
  if (result.status != DecryptStatus::Done) return result;

  if (const SystemError error =
          output.Commit(outputPath, options.syncToDisk, options.replaceExisting)) {
    const bool taken = !options.replaceExisting && IsNameTaken(error);
    return Failure(taken ? DecryptStatus::OutputExists : DecryptStatus::OutputUnwritable, error);
  }
  if (!options.deleteInput) return result;

  // The new name must be on the disk before the only other copy goes.
  if (options.syncToDisk) {
    if (const SystemError error = platform::SyncFolder(FolderOf(outputPath))) {
      result.inputDeleteFailed = true;
      result.deleteError = error;
      return result;
    }
  }
  // Deleted while still held: closed first, the input could be opened by another decoder,
  // which would then decrypt it again or find it gone.
  if (const SystemError error = input.DeleteWhileOpen(inputPath)) {
    result.inputDeleteFailed = true;
    result.deleteError = error;
  }
  return result;
}
