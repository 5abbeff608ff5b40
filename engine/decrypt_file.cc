#include "engine/decrypt_file.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "engine/decrypt_buffer.h"
#include "engine/output_path.h"
#include "engine/ranged_copy.h"
#include "engine/system_resources.h"
#include "platform/file.h"
#include "platform/held_output.h"

namespace {

using platform::File;
using platform::SystemError;

// Large enough that system calls cost nothing next to the cipher, small enough to stay in the
// core's cache between the read, the decryption and the write; a multiple of 8.
constexpr size_t kBufferSize = 256 * 1024;
static_assert(kBufferSize % 8 == 0);
// Each extra worker needs this much of the file to repay its thread.
constexpr uint64_t kBytesPerWorker = 4 * kBufferSize;

DecryptResult Failure(DecryptStatus status, SystemError error = 0) {
  DecryptResult result;
  result.status = status;
  result.error = error;
  return result;
}

bool StartsWithMagic(const std::vector<uint8_t>& plaintext) {
  return std::memcmp(plaintext.data(), kLogMagic, sizeof kLogMagic) == 0;
}

// Decrypts the rest of input into output, starting with the already decrypted first
// buffer. Reports which side failed.
DecryptResult CopyDecrypted(const BlowfishContext& key, File& input, File& output,
                            std::vector<uint8_t>& buffer, size_t firstRead, size_t firstCount,
                            uint64_t total, const DecryptOptions& options) {
  DecryptResult result;
  result.bytesRead = firstRead;
  size_t plainCount = firstCount;
  uint64_t done = 0;
  for (;;) {
    if (const SystemError error = output.WriteAll(std::span(buffer.data(), plainCount))) {
      // A write to a stream that an interruption ended is the interruption, not a failure.
      if (options.progress && !options.progress(done, total)) {
        return Failure(DecryptStatus::Interrupted);
      }
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
    result.bytesRead += *read.value;
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
  if (result.status == DecryptStatus::Done) {
    result.bytesWritten += firstCount;
    result.bytesRead = total;
  }
  return result;
}

}  // namespace

uint64_t FindFileSize(const std::string& path) {
  return platform::FindFirstEntrySize(path).value_or(0);
}

namespace {

DecryptResult DecryptOpenedLogFile(const BlowfishContext& key, File& input,
                                   const std::string& inputPath, const std::string& outputPath,
                                   const DecryptOptions& options, File* outputStream) {
  // The size of the file held open, not of whatever the name meant a moment before.
  const auto opened = input.Version();
  if (!opened) return Failure(DecryptStatus::InputUnreadable, opened.error);
  const uint64_t size = opened.value->size;
  if (size == 0) return Failure(DecryptStatus::InputEmpty);

  // The output is created before block 0 is read: held and invisible, it vanishes by itself
  // on a wrong password and never touches an existing output. Its folder is checked first.
  platform::HeldOutput output;
  if (options.mode == OutputMode::File) {
    auto created = platform::HeldOutput::Create(outputPath, input);
    if (!created) return Failure(DecryptStatus::OutputUnwritable, created.error);
    output = std::move(*created.value);
  }

  std::vector<uint8_t> buffer = AllocateBuffer(kBufferSize);
  auto firstRead = input.Read(buffer);
  if (!firstRead) return Failure(DecryptStatus::InputUnreadable, firstRead.error);
  if (*firstRead.value == 0) return Failure(DecryptStatus::InputEmpty);
  const size_t firstCount = DecryptBuffer(key, buffer, *firstRead.value);
  if (!StartsWithMagic(buffer)) return Failure(DecryptStatus::WrongPassword);

  if (options.mode == OutputMode::CheckPassword) return DecryptResult{};
  if (options.mode == OutputMode::Stream) {
    if (outputStream == nullptr) return Failure(DecryptStatus::OutputUnwritable);
    // Standard output appended to the input itself would grow it for as long as it is read.
    const auto streamIdentity = outputStream->Identity();
    if (streamIdentity && streamIdentity == input.Identity()) {
      return Failure(DecryptStatus::OutputUnwritable);
    }
    return CopyDecrypted(key, input, *outputStream, buffer, *firstRead.value, firstCount, size,
                         options);
  }

  // The output must never be the input under another name: replacing it would destroy the
  // only copy before the decryption is complete.
  if (const auto existingIdentity = platform::IdentityOfPath(outputPath)) {
    const auto inputIdentity = input.Identity();
    if (!inputIdentity || *existingIdentity == *inputIdentity) {
      return Failure(DecryptStatus::OutputUnwritable);
    }
    if (!options.replaceExisting) return Failure(DecryptStatus::OutputExists);
  }

  DecryptResult result =
      WorkersFor(options, size) > 1
          ? CopyDecryptedSideBySide(key, input, output.file(), buffer, firstCount, size, options)
          : CopyDecrypted(key, input, output.file(), buffer, *firstRead.value, firstCount, size,
                          options);
  if (result.status != DecryptStatus::Done) return result;

  if (const SystemError error = output.Commit(options.syncToDisk, options.replaceExisting)) {
    const bool taken = !options.replaceExisting && platform::IsNameTakenError(error);
    return Failure(taken ? DecryptStatus::OutputExists : DecryptStatus::OutputUnwritable, error);
  }
  if (!options.deleteInput) return result;

  // The new name must be on the disk before the only other copy goes.
  if (options.syncToDisk) {
    if (const SystemError error = platform::SyncFolder(platform::FolderOf(outputPath))) {
      result.inputDeleteFailed = true;
      result.deleteError = error;
      return result;
    }
  }
  // Another program may have written to the input meanwhile (nothing stops it on POSIX): the
  // output is whole for what was read, but the input holds more, or other bytes ("cp" over it
  // rewrites it in place, to the same size), and must stay.
  const auto now = input.Version();
  if (!now || now.value->size != result.bytesRead ||
      now.value->lastWrite != opened.value->lastWrite) {
    result.inputChanged = true;
    return result;
  }
  // Deleted while still held: closed first, the input could be opened by another decoder,
  // which would then decrypt it again or find it gone.
  if (const SystemError error = input.DeleteWhileOpen(inputPath)) {
    result.inputDeleteFailed = true;
    result.deleteError = error;
  }
  return result;
}

}  // namespace

DecryptResult DecryptLogFile(const BlowfishContext& key, const std::string& inputPath,
                             const std::string& outputPath, const DecryptOptions& options,
                             File* outputStream) {
  switch (platform::QueryPathKind(inputPath)) {
    case platform::PathKind::File:
      break;
    case platform::PathKind::Other:
      return Failure(DecryptStatus::NotRegularFile);
    case platform::PathKind::Missing:
    case platform::PathKind::Directory:
      return Failure(DecryptStatus::InputMissing);
  }
  auto opened = File::OpenExclusiveForReading(inputPath);
  if (!opened) {
    if (platform::QueryPathKind(inputPath) == platform::PathKind::Other) {
      return Failure(DecryptStatus::NotRegularFile);
    }
    // Another program (another decoder) may have deleted it since it was looked at.
    const bool gone = platform::IsNotFoundError(opened.error);
    return Failure(gone ? DecryptStatus::InputMissing : DecryptStatus::InputUnreadable,
                   opened.error);
  }
  // Nothing raises out of here into a front end: a buffer the system cannot give fails the
  // file like an output that cannot be written, with the input intact and the held output
  // gone with the unwinding.
  try {
    return DecryptOpenedLogFile(key, *opened.value, inputPath, outputPath, options, outputStream);
  } catch (const std::bad_alloc&) {
    return Failure(DecryptStatus::OutputUnwritable, platform::kOutOfMemory);
  } catch (const std::exception&) {
    return Failure(DecryptStatus::OutputUnwritable);
  }
}
