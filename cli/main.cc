// vellunora-decode: decrypts encrypted log files ("*.$S$") into ".CSV" files.

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/output_folder.h"
#include "cli/password.h"
#include "engine/key_text.h"
#include "platform/console.h"
#include "platform/dll_search.h"
#include "platform/interrupt.h"
#include "platform/process_setup.h"

namespace {

using platform::ConsoleStream;

int RunDecoder(const Options& options, const platform::StandardStreams& streams) {
  ConsoleSink sink;
  if (options.mode == RunMode::ToStandardOutput && streams.outputWasClosed) {
    sink.Error(messages::StandardOutputClosed());
    return kExitFailure;
  }
  const FolderCheck folder = CheckOutputFolder(options, sink);
  if (!folder.proceed) return folder.exitCode;

  const InputList inputs =
      CollectInputs(options.inputs, options.recursive, options.verbosity, sink);
  if (inputs.files.empty()) return std::max(inputs.exitCode, folder.exitCode);
  // A request that came while folders were searched would not interrupt the prompt's read.
  if (platform::InterruptRequested()) platform::ExitForInterrupt();

  PasswordOutcome password = AcquirePassword(options.passwordFile, options.passwordEncoding);
  if (password.interrupted) platform::ExitForInterrupt();
  if (!password.password) {
    sink.Error(password.error);
    return kExitFailure;
  }

  const PasswordKey key(password.password->view());
  password.password.reset();
  platform::File standardOutput = platform::File::StandardOutput();
  const BatchJob job{options, key.Context(), &standardOutput, platform::InterruptRequested,
                     sink};
  const BatchOutcome batch = RunBatch(job, inputs.files);
  sink.EndProgress();
  if (batch.interrupted) platform::ExitForInterrupt();
  return std::max({batch.exitCode, inputs.exitCode, folder.exitCode});
}

}  // namespace

int main(int argc, char** argv) {
  platform::SearchSystemFolderOnlyForDlls();
  const platform::StandardStreams streams = platform::PrepareCommandLineProcess();
  const ParsedCommandLine parsed =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp:
    case ParsedCommandLine::Action::ShowVersion:
      platform::WriteConsoleText(ConsoleStream::Output, parsed.text);
      return kExitSuccess;
    case ParsedCommandLine::Action::UsageError:
      platform::WriteConsoleText(ConsoleStream::Error, parsed.text);
      return kExitFailure;
    case ParsedCommandLine::Action::Run:
      break;
  }
  platform::InstallInterruptHandlers();
  // A file's own decryption reports refused memory as that file's failure; what can still
  // raise is the work around it (lists, messages). The outputs in progress are discarded on
  // the way out, and every input not done is left as it was.
  try {
    return RunDecoder(parsed.options, streams);
  } catch (const std::exception&) {
    platform::WriteConsoleText(ConsoleStream::Error, messages::kOutOfMemoryLine);
    return kExitFailure;
  }
}
