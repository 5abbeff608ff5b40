#pragma once
// Decryption of one encrypted log file, with every rule that keeps the user's data safe.
// Both the dialog (DecodeFile) and the command-line decoder go through DecryptLogFile.
//
// The rules: the output is held through its own handle from its creation until it has its
// final name (platform/held_output.h), so nobody else can open it half-written and a killed
// run leaves nothing; it is flushed before it gets that name and is never more readable than
// the input; an existing output is replaced only by a whole new one, and never on a wrong
// password; the input is deleted only after all that succeeded. So at every moment the input
// is intact or the output is whole and on disk. Nothing raises: a buffer or thread the system
// refuses is a failure or fewer threads, never an exception.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/blowfish.h"
#include "platform/system_error.h"

// The first 8 plaintext bytes of every log file: the only test of password and file kind.
inline constexpr char kLogMagic[8] = {'V', 'e', 'l', 'l', 'u', 'n', 'o', 'r'};

enum class DecryptStatus {
  Done,              // output whole under its final name (or all written to the stream)
  InputMissing,      // the input does not exist as a file
  NotRegularFile,    // the input is a FIFO, device, socket or the like, named like a log
  InputEmpty,        // the input holds no byte
  InputUnreadable,   // the input could not be opened (locked, no access) or read
  WrongPassword,     // block 0 did not decrypt to the magic; nothing was written
  OutputExists,      // an output exists and replacing was not allowed
  OutputUnwritable,  // the output could not be created, written, flushed or named, its
                     // buffer not allocated, or it would have been the input itself
  Interrupted,       // the caller's progress callback asked to stop
};

enum class OutputMode {
  File,            // write outputPath
  Stream,          // write to the stream passed as outputStream
  CheckPassword,   // read block 0 only; write and delete nothing
};

struct DecryptOptions {
  OutputMode mode = OutputMode::File;
  bool replaceExisting = true;  // an existing output is replaced by the whole new one
  bool deleteInput = true;      // delete the input once its output is complete and on disk
  bool syncToDisk = true;       // flush output and folder to the disk before deleting
  // Threads that decrypt the file side by side, each its own range of blocks, with
  // positioned reads and writes (mode File; a file of less than a few buffers per thread
  // takes fewer).
  unsigned workers = 1;
  // Called with the bytes decrypted so far and the input's size: after each buffer, or with
  // several workers every few hundredths of a second, always on the calling thread.
  // Returning false stops the file as Interrupted, with its partial output removed.
  std::function<bool(uint64_t done, uint64_t total)> progress;
};

struct DecryptResult {
  DecryptStatus status = DecryptStatus::Done;
  platform::SystemError error = 0;    // the system's code at the failure site, if any
  bool inputDeleteFailed = false;     // Done, but the input could not be deleted
  bool inputChanged = false;          // Done for what was read, but the input was written to
                                      // meanwhile and was kept
  platform::SystemError deleteError = 0;
  uint64_t bytesWritten = 0;
  uint64_t bytesRead = 0;             // of the input, decrypted
};

namespace platform {
class File;
}

// Decrypts inputPath into outputPath (mode File), into *outputStream (mode Stream) or only
// checks the password (mode CheckPassword). The output's bytes are the input's 8-byte blocks
// decrypted one by one, a short last block padded with spaces (0x20) before decryption.
DecryptResult DecryptLogFile(const BlowfishContext& key, const std::string& inputPath,
                          const std::string& outputPath, const DecryptOptions& options,
                          platform::File* outputStream = nullptr);

// Size of the file a search for path finds first, 0 when nothing is found. The whole
// 64-bit size: a file of exactly 4 GiB is not empty.
uint64_t FindFileSize(const std::string& path);
