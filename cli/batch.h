#pragma once
// The batch of vellunora-decode: which files the arguments name, and the decryption of each
// through DecryptLogFile with the options of the command line. A failed file never stops the
// batch; only an interruption does.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "engine/blowfish.h"
#include "engine/decrypt_file.h"
#include "platform/file.h"

// Where the batch's lines go: the console in the program, a recorder in tests. Lines come
// whole, with their line break; the batch has already left out what the verbosity hides.
class BatchSink {
 public:
  virtual ~BatchSink() = default;
  virtual void Error(std::string_view line) = 0;
  virtual void Info(std::string_view line) = 0;
  // How far the file at hand is; text has no line break. Only with -v and large files.
  virtual void Progress(std::string_view text) = 0;
};

// Writes every line to standard error, and the progress over itself with "\r", only when
// standard error is a terminal.
class ConsoleSink : public BatchSink {
 public:
  ConsoleSink();
  void Error(std::string_view line) override;
  void Info(std::string_view line) override;
  void Progress(std::string_view text) override;
  // Clears a progress line still shown.
  void EndProgress();

 private:
  bool showProgress_;
  std::string shownProgress_;
};

// Files below this size end too fast for a progress display to help.
inline constexpr uint64_t kProgressThreshold = 4 * 1024 * 1024;

// Exit status: the highest of the batch wins.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitWrongPassword = 2;

struct InputList {
  std::vector<std::string> files;
  int exitCode = kExitSuccess;  // kExitFailure when a folder could not be read
};

// The files the arguments name: a file argument as it is (a missing one is reported when its
// turn comes), a folder's "*.$S$" files (the extension in any letter case), in name order,
// and with recursive those of its subfolders too, without following links to folders.
InputList CollectInputs(const std::vector<std::string>& arguments, bool recursive,
                        Verbosity verbosity, BatchSink& sink);

// The folder an input's output goes to without -o: the input's own, "." for a bare name.
std::string DefaultOutputFolder(std::string_view inputPath);

// Everything one file needs besides its path. A parallel run shares one among its workers.
struct BatchJob {
  const Options& options;
  // Made once from the password, which is wiped then: the password's text is kept no longer
  // than the key needs it, so no memory of the run holds it.
  const BlowfishContext& key;
  platform::File* standardOutput = nullptr;  // with RunMode::ToStandardOutput
  std::function<bool()> interruptRequested;  // asked between buffers and between files
  BatchSink& sink;
  unsigned threadsPerFile = 1;               // workers that share one file's blocks
};

// A file of a planned run. "-f" replaces only an output that was there before the run: one
// that appears meanwhile may be another output of this run under a name that the plan could not
// know (an 8.3 short name is given when a file is made).
struct PlannedFile {
  std::string input;
  bool outputExisted = false;
};

struct FileOutcome {
  DecryptResult result;
  std::string outputPath;  // empty unless RunMode::Decrypt
  int exitCode = kExitSuccess;
};

// Decrypts and reports one file: the unit of work of the batch.
FileOutcome ProcessFile(const BatchJob& job, const PlannedFile& file);

struct BatchOutcome {
  int exitCode = kExitSuccess;
  bool interrupted = false;  // the rest of the batch was left undone
};

// Plans the run (run_plan.h), then decrypts the inputs, several at once as WorkerCount says;
// messages come a line at a time. The exit code is the highest of the files done and of the
// plan.
BatchOutcome RunBatch(const BatchJob& job, const std::vector<std::string>& inputs);

// How many files are decrypted at once: -j, else one per processor core, never more than
// there are files, and one when the decrypted bytes go to standard output.
unsigned WorkerCount(const Options& options, size_t fileCount);

// How many threads share each file's blocks: the threads that the files at once leave
// over (one big file gets them all); one unless files are being decrypted to files.
unsigned ThreadsPerFile(const Options& options, size_t fileCount);

// The exit status a file's result stands for.
int ExitCodeFor(const DecryptResult& result);
