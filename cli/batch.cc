#include "cli/batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "cli/messages.h"
#include "cli/run_plan.h"
#include "engine/blowfish_blocks.h"
#include "engine/output_path.h"
#include "engine/system_resources.h"
#include "platform/console.h"
#include "platform/directory.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"

namespace {

constexpr std::string_view kLogExtension = ".$S$";

bool IsLogFileName(std::string_view name) {
  if (name.size() < kLogExtension.size()) return false;
  const std::string_view tail = name.substr(name.size() - kLogExtension.size());
  return std::equal(tail.begin(), tail.end(), kLogExtension.begin(), [](char a, char b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(a) == lower(b);
  });
}

// Adds folder's log files to files; false when a folder could not be listed.
bool CollectFolder(const std::string& folder, bool recursive, std::vector<std::string>& files,
                   BatchSink& sink) {
  auto listed = platform::ListDirectory(folder);
  if (!listed) {
    sink.Error(messages::FolderUnreadable(folder, listed.error));
    return false;
  }
  std::vector<platform::DirectoryEntry>& entries = *listed.value;
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  bool complete = true;
  for (const platform::DirectoryEntry& entry : entries) {
    const std::string path = platform::JoinPath(folder, entry.name);
    // A FIFO or device named like a log is taken too, to be refused by name rather than
    // skipped without a word.
    const bool fileLike =
        entry.kind == platform::PathKind::File || entry.kind == platform::PathKind::Other;
    if (fileLike && IsLogFileName(entry.name)) {
      files.push_back(path);
    } else if (recursive && entry.kind == platform::PathKind::Directory && !entry.isLink) {
      complete = CollectFolder(path, recursive, files, sink) && complete;
    }
  }
  return complete;
}

OutputMode OutputModeFor(RunMode mode) {
  switch (mode) {
    case RunMode::ToStandardOutput:
      return OutputMode::Stream;
    case RunMode::CheckPassword:
      return OutputMode::CheckPassword;
    case RunMode::Decrypt:
      break;
  }
  return OutputMode::File;
}

DecryptOptions DecryptOptionsFor(const BatchJob& job, const PlannedFile& file) {
  const Options& options = job.options;
  const std::string& input = file.input;
  DecryptOptions decrypt;
  decrypt.mode = OutputModeFor(options.mode);
  decrypt.replaceExisting = options.replaceExisting && file.outputExisted;
  decrypt.deleteInput = options.mode == RunMode::Decrypt && !options.keepInputs;
  decrypt.syncToDisk = options.syncToDisk;
  decrypt.workers = job.threadsPerFile;
  const bool showProgress = options.verbosity == Verbosity::Verbose;
  decrypt.progress = [&job, &input, showProgress](uint64_t done, uint64_t total) {
    if (job.interruptRequested && job.interruptRequested()) return false;
    if (showProgress && total >= kProgressThreshold) {
      job.sink.Progress(messages::Progress(input, done, total));
    }
    return true;
  };
  return decrypt;
}

void Report(const BatchJob& job, const std::string& input, const FileOutcome& outcome) {
  const DecryptResult& result = outcome.result;
  if (result.status == DecryptStatus::OutputExists && job.options.replaceExisting) {
    job.sink.Error(messages::OutputAppearedDuringRun(input, outcome.outputPath));
    return;
  }
  if (result.status != DecryptStatus::Done) {
    job.sink.Error(messages::FileFailed(input, outcome.outputPath, result));
    return;
  }
  if (result.inputChanged) {
    job.sink.Error(messages::InputChangedWhileRead(input));
    return;
  }
  if (result.inputDeleteFailed) {
    job.sink.Error(messages::InputNotDeleted(input, result.deleteError));
    return;
  }
  if (job.options.verbosity != Verbosity::Verbose) return;
  switch (job.options.mode) {
    case RunMode::Decrypt:
      job.sink.Info(messages::FileDecrypted(input, outcome.outputPath));
      break;
    case RunMode::ToStandardOutput:
      job.sink.Info(messages::FileWrittenToStandardOutput(input));
      break;
    case RunMode::CheckPassword:
      job.sink.Info(messages::PasswordMatches(input));
      break;
  }
}

}  // namespace

ConsoleSink::ConsoleSink() : showProgress_(platform::IsTerminal(platform::ConsoleStream::Error)) {}

void ConsoleSink::Error(std::string_view line) {
  EndProgress();
  platform::WriteConsoleText(platform::ConsoleStream::Error, line);
}

void ConsoleSink::Info(std::string_view line) {
  EndProgress();
  platform::WriteConsoleText(platform::ConsoleStream::Error, line);
}

void ConsoleSink::Progress(std::string_view text) {
  if (!showProgress_ || text == shownProgress_) return;
  std::string line = "\r";
  line += text;
  // A shorter text must also cover what the longer one left on the line.
  if (text.size() < shownProgress_.size()) line.append(shownProgress_.size() - text.size(), ' ');
  platform::WriteConsoleText(platform::ConsoleStream::Error, line);
  shownProgress_ = text;
}

void ConsoleSink::EndProgress() {
  if (shownProgress_.empty()) return;
  std::string blank = "\r";
  blank.append(shownProgress_.size(), ' ');
  blank += '\r';
  platform::WriteConsoleText(platform::ConsoleStream::Error, blank);
  shownProgress_.clear();
}

InputList CollectInputs(const std::vector<std::string>& arguments, bool recursive,
                        Verbosity verbosity, BatchSink& sink) {
  InputList list;
  for (const std::string& argument : arguments) {
    if (platform::QueryPathKind(argument) != platform::PathKind::Directory) {
      list.files.push_back(argument);
      continue;
    }
    const size_t before = list.files.size();
    if (!CollectFolder(argument, recursive, list.files, sink)) list.exitCode = kExitFailure;
    if (list.files.size() == before && verbosity != Verbosity::Quiet) {
      sink.Info(messages::NoLogFilesIn(argument));
    }
  }
  return list;
}

std::string DefaultOutputFolder(std::string_view inputPath) {
  const std::string_view name = platform::LastName(inputPath);
  std::string folder(inputPath.substr(0, inputPath.size() - name.size()));
  // Without a folder part ("a.$S$") or with only a drive ("C:a.$S$") the input lies in the
  // current folder, which "." names; an empty text or "C:" would get a separator appended
  // and name a root.
  if (folder.empty() ||
      (platform::kNativePathStyle == platform::PathStyle::Windows && folder.back() == ':')) {
    folder += '.';
  }
  return folder;
}

int ExitCodeFor(const DecryptResult& result) {
  switch (result.status) {
    case DecryptStatus::Done:
      return result.inputDeleteFailed || result.inputChanged ? kExitFailure : kExitSuccess;
    case DecryptStatus::WrongPassword:
      return kExitWrongPassword;
    case DecryptStatus::InputMissing:
    case DecryptStatus::NotRegularFile:
    case DecryptStatus::InputEmpty:
    case DecryptStatus::InputUnreadable:
    case DecryptStatus::OutputExists:
    case DecryptStatus::OutputUnwritable:
    case DecryptStatus::Interrupted:
      break;
  }
  return kExitFailure;
}

FileOutcome ProcessFile(const BatchJob& job, const PlannedFile& file) {
  const std::string& input = file.input;
  FileOutcome outcome;
  if (job.options.mode == RunMode::Decrypt) {
    const std::string folder = job.options.outputFolder.value_or(DefaultOutputFolder(input));
    outcome.outputPath = OutputPathFor(folder, input);
  }
  outcome.result = DecryptLogFile(job.key, input, outcome.outputPath,
                                  DecryptOptionsFor(job, file), job.standardOutput);
  outcome.exitCode = ExitCodeFor(outcome.result);
  Report(job, input, outcome);
  return outcome;
}

namespace {

// Lets workers report through one sink, a whole line at a time.
class LockedSink : public BatchSink {
 public:
  explicit LockedSink(BatchSink& sink) : sink_(sink) {}
  void Error(std::string_view line) override {
    const std::lock_guard lock(mutex_);
    sink_.Error(line);
  }
  void Info(std::string_view line) override {
    const std::lock_guard lock(mutex_);
    sink_.Info(line);
  }
  void Progress(std::string_view text) override {
    const std::lock_guard lock(mutex_);
    sink_.Progress(text);
  }

 private:
  BatchSink& sink_;
  std::mutex mutex_;
};

BatchOutcome RunSequentially(const BatchJob& job, const std::vector<PlannedFile>& inputs) {
  BatchOutcome batch;
  for (size_t index = 0; index < inputs.size(); ++index) {
    if (job.interruptRequested && job.interruptRequested()) {
      batch.interrupted = true;
      break;
    }
    const FileOutcome outcome = ProcessFile(job, inputs[index]);
    if (outcome.result.status == DecryptStatus::Interrupted) {
      batch.interrupted = true;
      break;
    }
    batch.exitCode = std::max(batch.exitCode, outcome.exitCode);
    if (job.options.mode == RunMode::ToStandardOutput &&
        outcome.result.status == DecryptStatus::OutputUnwritable) {
      if (const size_t left = inputs.size() - index - 1; left > 0) {
        job.sink.Error(messages::FilesLeftForStandardOutput(left));
      }
      break;
    }
  }
  return batch;
}

// Workers take the next file until none is left or an interruption is asked for; a file in
// progress then removes its own partial output, the others are left untouched.
BatchOutcome RunInParallel(const BatchJob& job, const std::vector<PlannedFile>& inputs,
                           unsigned workers) {
  LockedSink sink(job.sink);
  const BatchJob shared{job.options,          job.key,      job.standardOutput,
                        job.interruptRequested, sink,         job.threadsPerFile};
  std::atomic<size_t> next{0};
  std::atomic<bool> interrupted{false};
  std::mutex resultMutex;
  int exitCode = kExitSuccess;
  std::exception_ptr failure;

  const auto work = [&] {
    try {
      for (;;) {
        if (interrupted || (shared.interruptRequested && shared.interruptRequested())) {
          interrupted = true;
          return;
        }
        const size_t index = next++;
        if (index >= inputs.size()) return;
        const FileOutcome outcome = ProcessFile(shared, inputs[index]);
        if (outcome.result.status == DecryptStatus::Interrupted) interrupted = true;
        const std::lock_guard lock(resultMutex);
        exitCode = std::max(exitCode, outcome.exitCode);
      }
    } catch (...) {
      interrupted = true;
      const std::lock_guard lock(resultMutex);
      if (!failure) failure = std::current_exception();
    }
  };
  std::mutex endMutex;
  std::condition_variable ended;
  size_t running = 0;
  const auto worker = [&] {
    work();
    const std::lock_guard lock(endMutex);
    --running;
    ended.notify_one();
  };
  std::vector<std::thread> threads;
  threads.reserve(workers);
  // Fewer threads than asked for still do every file; with none, the calling thread does.
  try {
    for (unsigned i = 0; i < workers; ++i) {
      const std::lock_guard lock(endMutex);
      threads.push_back(StartThread(worker));
      ++running;
    }
  } catch (...) {
  }
  if (threads.empty()) work();
  // A request reaches one thread only: a worker waiting to write a line to a terminal stopped
  // with Ctrl-S would wait on.
  {
    std::unique_lock lock(endMutex);
    while (!ended.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; })) {
      for (std::thread& thread : threads) platform::PassInterruptTo(thread);
    }
  }
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return BatchOutcome{exitCode, interrupted.load()};
}

}  // namespace

namespace {

unsigned ThreadsWanted(const Options& options) {
  const unsigned wanted = options.jobs != 0 ? options.jobs : std::thread::hardware_concurrency();
  return std::max(wanted, 1u);
}

}  // namespace

unsigned WorkerCount(const Options& options, size_t fileCount) {
  // Decrypted bytes on standard output must come file after file.
  if (options.mode == RunMode::ToStandardOutput) return 1;
  return static_cast<unsigned>(
      std::min<size_t>(ThreadsWanted(options), std::max<size_t>(fileCount, 1)));
}

unsigned ThreadsPerFile(const Options& options, size_t fileCount) {
  if (options.mode != RunMode::Decrypt) return 1;
  return ThreadsWanted(options) / WorkerCount(options, fileCount);
}

BatchOutcome RunBatch(const BatchJob& job, const std::vector<std::string>& inputs) {
  const RunPlan plan = PlanRun(job.options, inputs, job.sink);
  if (job.options.verbosity == Verbosity::Verbose && !plan.files.empty()) {
    job.sink.Info(messages::DecryptionPath(BlowfishPathName(BlowfishBestPath())));
  }
  BatchJob planned = job;
  planned.threadsPerFile = ThreadsPerFile(job.options, plan.files.size());
  const unsigned workers = WorkerCount(job.options, plan.files.size());
  BatchOutcome outcome = workers <= 1 ? RunSequentially(planned, plan.files)
                                      : RunInParallel(planned, plan.files, workers);
  outcome.exitCode = std::max(outcome.exitCode, plan.exitCode);
  return outcome;
}
