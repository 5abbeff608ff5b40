// Every file operation of a decryption failing in turn, and the buffers and threads it asks
// for refused, for the dialog's path and for the command line's modes: whatever fails, the
// input is intact or the output whole and the input gone, no temporary file stays, a file
// under the final name is always whole, and the dialog shows no box but its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch.h"
#include "cli/messages.h"
#include "dialog/dialog_texts.h"
#include "dialog/policy/decode_file.h"
#include "engine/key_text.h"
#include "engine/output_path.h"
#include "platform/fault_injection.h"
#include "platform/file.h"
#include "tests/support/log_fixture.h"
#include "tests/support/recording_host.h"
#include "tests/support/recording_sink.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::SystemError;
using platform::fault::Operation;
using Bytes = std::vector<uint8_t>;

constexpr char kPassword[] = "matrix";
constexpr size_t kBuffer = 256 * 1024;
// Eight whole buffers and a 13-byte tail: large enough for two workers, and the read that
// brings the tail is the ninth.
constexpr size_t kInputSize = 8 * kBuffer + 13;

#ifdef _WIN32
constexpr SystemError kAccessDenied = 5;   // ERROR_ACCESS_DENIED
constexpr SystemError kReadFault = 30;     // ERROR_READ_FAULT
constexpr SystemError kDiskFull = 112;     // ERROR_DISK_FULL
constexpr SystemError kWriteFault = 29;    // ERROR_WRITE_FAULT
constexpr SystemError kSharing = 32;       // ERROR_SHARING_VIOLATION
#else
constexpr SystemError kAccessDenied = 13;  // EACCES
constexpr SystemError kReadFault = 5;      // EIO
constexpr SystemError kDiskFull = 28;      // ENOSPC
constexpr SystemError kWriteFault = 5;     // EIO
constexpr SystemError kSharing = 11;       // EWOULDBLOCK, a lock held elsewhere
#endif

enum class Outcome {
  InputKept,        // failed before the output was whole: nothing of it stays
  OutputWhole,      // done, input deleted
  DeleteFailed,     // done, output whole, input still there and reported
};

// Windows retries a refusal that another program's brief hold explains; POSIX has none.
// Windows copies an output that cannot get its name as a hard link; POSIX links an unnamed
// file, which a file system either supports from its creation or not at all.
// A file system without POSIX permission bits (FAT) keeps its own; Windows has no bits to
// refuse, and its seam fails the file right after the creation.
#ifdef _WIN32
constexpr Outcome kMomentaryRefusal = Outcome::OutputWhole;
constexpr Outcome kLinksUnsupported = Outcome::OutputWhole;
constexpr Outcome kBitsUnsupported = Outcome::InputKept;
constexpr SystemError kNotSupported = 50;  // ERROR_NOT_SUPPORTED
constexpr SystemError kNotImplemented = 1;  // ERROR_INVALID_FUNCTION
#else
constexpr Outcome kMomentaryRefusal = Outcome::InputKept;
constexpr Outcome kLinksUnsupported = Outcome::InputKept;
constexpr Outcome kBitsUnsupported = Outcome::OutputWhole;
constexpr SystemError kNotSupported = 95;  // EOPNOTSUPP
constexpr SystemError kNotImplemented = 38;  // ENOSYS, as a FUSE file system without chmod says
#endif

// Which runs reach the operation at all.
enum class Reached { Always, WithWorkers };

struct Fault {
  const char* name;
  Operation operation;
  unsigned nth;
  SystemError error;
  bool shortWrite;
  DecryptStatus status;  // for InputKept
  Outcome outcome;
  Reached reached = Reached::Always;
};

const Fault kFaults[] = {
    {"open input", Operation::Open, 1, kSharing, false, DecryptStatus::InputUnreadable, kMomentaryRefusal},
    {"create output", Operation::Create, 1, kAccessDenied, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    {"protect the new output", Operation::Guard, 1, kAccessDenied, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    {"permission bits refused by the file system", Operation::Guard, 1, kNotImplemented, false, DecryptStatus::OutputUnwritable, kBitsUnsupported},
    {"allocate the file buffer", Operation::Allocate, 1, platform::kOutOfMemory, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    {"allocate a worker's buffer", Operation::Allocate, 2, platform::kOutOfMemory, false, DecryptStatus::OutputUnwritable, Outcome::InputKept, Reached::WithWorkers},
    // The file is decrypted by the threads that did start, down to the calling thread alone.
    {"start the first worker", Operation::StartThread, 1, kSharing, false, DecryptStatus::Done, Outcome::OutputWhole, Reached::WithWorkers},
    {"start the second worker", Operation::StartThread, 2, kSharing, false, DecryptStatus::Done, Outcome::OutputWhole, Reached::WithWorkers},
    {"read block 0", Operation::Read, 1, kReadFault, false, DecryptStatus::InputUnreadable, Outcome::InputKept},
    {"read in the middle", Operation::Read, 4, kReadFault, false, DecryptStatus::InputUnreadable, Outcome::InputKept},
    {"read the tail", Operation::Read, 9, kReadFault, false, DecryptStatus::InputUnreadable, Outcome::InputKept},
    {"write the first buffer", Operation::Write, 1, kDiskFull, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    {"write in the middle", Operation::Write, 4, kDiskFull, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    {"short write", Operation::Write, 2, kDiskFull, true, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    {"flush", Operation::Flush, 1, kWriteFault, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    // Closed after the flush and the rename: the output is whole and named by then.
    {"close output", Operation::Close, 1, kWriteFault, false, DecryptStatus::Done, Outcome::OutputWhole},
    {"move to the final name", Operation::Move, 1, kWriteFault, false, DecryptStatus::OutputUnwritable, Outcome::InputKept},
    // Windows names the output by a hard link; a file system without them gets a copy.
    {"no hard links on the output's file system", Operation::Move, 1, kNotSupported, false, DecryptStatus::OutputUnwritable, kLinksUnsupported},
    // As Wine refuses a hard link on FAT: with no file under the final name, a copy is named
    // there; an older output there is taken for one held a moment, and the name retried.
    {"name refused as access denied", Operation::Move, 1, kAccessDenied, false, DecryptStatus::OutputUnwritable, kMomentaryRefusal},
    {"delete input", Operation::Delete, 1, kAccessDenied, false, DecryptStatus::Done, Outcome::DeleteFailed},
};

enum class FrontEnd { Dialog, CommandLine, CommandLineKeep, CommandLineForce, CommandLineTwoThreads };

const char* NameOf(FrontEnd frontEnd) {
  switch (frontEnd) {
    case FrontEnd::Dialog: return "dialog";
    case FrontEnd::CommandLine: return "command line";
    case FrontEnd::CommandLineKeep: return "command line -k";
    case FrontEnd::CommandLineForce: return "command line -f";
    case FrontEnd::CommandLineTwoThreads: return "command line -j 2";
  }
  return "?";
}

// The outputs that already exist before the run: the dialog and -f replace them, and must
// never lose them to a failed run.
bool HasStaleOutput(FrontEnd frontEnd) {
  return frontEnd == FrontEnd::Dialog || frontEnd == FrontEnd::CommandLineForce;
}

bool KeepsInput(FrontEnd frontEnd) { return frontEnd == FrontEnd::CommandLineKeep; }

// The dialog gives a large file a thread per core; -j 2 gives a lone file two.
bool UsesWorkers(FrontEnd frontEnd) {
  return frontEnd == FrontEnd::CommandLineTwoThreads ||
         (frontEnd == FrontEnd::Dialog && std::thread::hardware_concurrency() > 1);
}

struct Cell {
  TempFolder folder;
  std::string input = folder / "LOG1.$S$";
  std::string output = folder / "LOG1.CSV";
  Bytes cipher = MakeSampleLog(kPassword, kInputSize, 3);
  Bytes plaintext = ReferenceDecrypt(kPassword, cipher);
  Bytes stale = Bytes(100, 'x');

  explicit Cell(FrontEnd frontEnd) {
    WriteFileBytes(input, cipher);
    if (HasStaleOutput(frontEnd)) WriteFileBytes(output, stale);
  }
};

struct Observed {
  std::vector<std::string> events;  // the dialog's
  std::vector<std::string> errors;  // the command line's
  int exitCode = 0;
};

Observed RunDialog(const Cell& cell) {
  RecordingHost host;
  host.password = kPassword;
  host.outputFolder = cell.folder.path();
  DecodeFile(host, cell.input);
  return {host.events, {}, 0};
}

Observed RunCommandLine(const Cell& cell, FrontEnd frontEnd) {
  Options options;
  options.jobs = frontEnd == FrontEnd::CommandLineTwoThreads ? 2 : 1;
  options.keepInputs = frontEnd == FrontEnd::CommandLineKeep;
  options.replaceExisting = frontEnd == FrontEnd::CommandLineForce;
  RecordingSink sink;
  const PasswordKey key(kPassword);
  const BatchJob job{options, key.Context(), nullptr, [] { return false; }, sink};
  const BatchOutcome outcome = RunBatch(job, {cell.input});
  return {{}, sink.errors, outcome.exitCode};
}

// The failure table's answer for the dialog and the command line's lines and exit code.
void ExpectReport(const Cell& cell, FrontEnd frontEnd, const Fault& fault, bool fired,
                  const Observed& seen) {
  const bool failed = fired && fault.outcome == Outcome::InputKept;
  const bool deleteFailed = fired && fault.outcome == Outcome::DeleteFailed;
  if (frontEnd == FrontEnd::Dialog) {
    const std::vector<std::string> hardFailure = {
        std::string("say:") + kDecodeFailedText + "|" + kMessageTitle, "stop", "pause:1000",
        "close"};
    EXPECT_EQ(seen.events, failed ? hardFailure : std::vector<std::string>{"done"});
    return;
  }
  std::vector<std::string> lines;
  if (failed) {
    DecryptResult result;
    result.status = fault.status;
    result.error = fault.error;
    lines.push_back(messages::FileFailed(cell.input, cell.output, result));
  } else if (deleteFailed) {
    lines.push_back(messages::InputNotDeleted(cell.input, fault.error));
  }
  EXPECT_EQ(seen.errors, lines);
  EXPECT_EQ(seen.exitCode, failed || deleteFailed ? kExitFailure : kExitSuccess);
}

// The promise itself, whatever the report said.
void ExpectNothingLost(const Cell& cell, FrontEnd frontEnd, const Fault& fault, bool fired) {
  const std::vector<std::string> names = cell.folder.Names();
  for (const std::string& name : names) {
    EXPECT_TRUE(name == "LOG1.$S$" || name == "LOG1.CSV") << "left behind: " << name;
  }
  const bool inputThere = std::count(names.begin(), names.end(), "LOG1.$S$") == 1;
  const bool outputThere = std::count(names.begin(), names.end(), "LOG1.CSV") == 1;
  const Bytes output = outputThere ? ReadFileBytes(cell.output) : Bytes{};
  if (inputThere) {
    EXPECT_EQ(ReadFileBytes(cell.input), cell.cipher) << "the input changed";
  }
  if (outputThere) {
    EXPECT_TRUE(output == cell.plaintext || (HasStaleOutput(frontEnd) && output == cell.stale))
        << "a file under the final name is not whole";
  }
  EXPECT_TRUE(inputThere || (outputThere && output == cell.plaintext)) << "both copies lost";

  const bool failed = fired && fault.outcome == Outcome::InputKept;
  if (failed) {
    EXPECT_TRUE(inputThere);
    EXPECT_EQ(outputThere, HasStaleOutput(frontEnd));
    if (outputThere) {
      EXPECT_EQ(output, cell.stale) << "a failed run touched the old output";
    }
  } else {
    EXPECT_EQ(output, cell.plaintext);
    EXPECT_EQ(inputThere, KeepsInput(frontEnd) || (fired && fault.outcome == Outcome::DeleteFailed));
  }
}

TEST(FaultMatrix, NoFailureEverLosesTheInputOrLeavesAPartialOutput) {
  const FrontEnd frontEnds[] = {FrontEnd::Dialog, FrontEnd::CommandLine, FrontEnd::CommandLineKeep,
                                FrontEnd::CommandLineForce, FrontEnd::CommandLineTwoThreads};
  int cells = 0;
  int injected = 0;
  for (const FrontEnd frontEnd : frontEnds) {
    for (const Fault& fault : kFaults) {
      SCOPED_TRACE(std::string(NameOf(frontEnd)) + ", failing: " + fault.name);
      Cell cell(frontEnd);
      Observed seen;
      bool fired = false;
      {
        const platform::fault::ScopedFault armed(fault.operation, fault.nth, fault.error,
                                                 fault.shortWrite);
        seen = frontEnd == FrontEnd::Dialog ? RunDialog(cell) : RunCommandLine(cell, frontEnd);
        fired = platform::fault::Fired();
      }
      // Only a kept input is never deleted, and only runs with workers start threads and
      // allocate their buffers; every other operation happens on every run.
      const bool expectFired = !(fault.operation == Operation::Delete && KeepsInput(frontEnd)) &&
                               (fault.reached == Reached::Always || UsesWorkers(frontEnd));
      EXPECT_EQ(fired, expectFired);
      ExpectReport(cell, frontEnd, fault, fired, seen);
      ExpectNothingLost(cell, frontEnd, fault, fired);
      ++cells;
      injected += fired ? 1 : 0;
    }
  }
  std::printf("fault matrix: %d cells, %d faults injected\n", cells, injected);
  EXPECT_EQ(cells, 5 * static_cast<int>(std::size(kFaults)));
}

// The same run without a fault, so the matrix's expectations are known to hold at all.
TEST(FaultMatrix, WithoutAFaultEveryFrontEndDecrypts) {
  for (const FrontEnd frontEnd : {FrontEnd::Dialog, FrontEnd::CommandLine, FrontEnd::CommandLineKeep,
                                  FrontEnd::CommandLineForce, FrontEnd::CommandLineTwoThreads}) {
    SCOPED_TRACE(NameOf(frontEnd));
    Cell cell(frontEnd);
    const Observed seen =
        frontEnd == FrontEnd::Dialog ? RunDialog(cell) : RunCommandLine(cell, frontEnd);
    EXPECT_EQ(ReadFileBytes(cell.output), cell.plaintext);
    const std::vector<std::string> expected =
        KeepsInput(frontEnd) ? std::vector<std::string>{"LOG1.$S$", "LOG1.CSV"}
                             : std::vector<std::string>{"LOG1.CSV"};
    EXPECT_EQ(cell.folder.Names(), expected);
    EXPECT_TRUE(seen.errors.empty());
    EXPECT_EQ(seen.exitCode, 0);
  }
}

}  // namespace
