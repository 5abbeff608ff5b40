#pragma once
// The -o folder, looked at before the first file. It must be a folder, or nothing is done. In
// a dry run (-t) a new file must also be able to go there; the dry run then checks the
// passwords whatever the folder's answer, so that one run tells everything that would stop the
// real one.

#include "cli/batch.h"
#include "cli/options.h"

struct FolderCheck {
  bool proceed = true;           // false: the run ends with exitCode
  int exitCode = kExitSuccess;
};

FolderCheck CheckOutputFolder(const Options& options, BatchSink& sink);
