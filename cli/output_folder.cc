#include "cli/output_folder.h"

#include "cli/messages.h"
#include "platform/file.h"
#include "platform/held_output.h"

FolderCheck CheckOutputFolder(const Options& options, BatchSink& sink) {
  if (!options.outputFolder) return {};
  const std::string& folder = *options.outputFolder;
  const bool dryRun = options.mode == RunMode::CheckPassword;
  switch (platform::QueryPathKind(folder)) {
    case platform::PathKind::Directory:
      break;
    case platform::PathKind::Missing:
      sink.Error(messages::OutputFolderMissing(folder));
      return {dryRun, kExitFailure};
    case platform::PathKind::File:
    case platform::PathKind::Other:
      sink.Error(messages::OutputFolderNotAFolder(folder));
      return {dryRun, kExitFailure};
  }
  if (!dryRun) return {};
  if (const platform::SystemError error = platform::HeldOutput::ProbeFolder(folder)) {
    sink.Error(messages::OutputFolderUnwritable(folder, error));
    return {true, kExitFailure};
  }
  if (options.verbosity == Verbosity::Verbose) sink.Info(messages::OutputFolderWritable(folder));
  return {};
}
