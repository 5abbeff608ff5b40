#pragma once
// The whole run worked out before its first file: each file taken once however often it is
// named, and no two inputs allowed to write one output. Without this, "-f" would let the second
// of two logs of the same name (a/LOG.$S$ and b/LOG.$S$ with -o, or LOG.$S$ beside LOG.$s$)
// replace the output the first had just made, and both inputs would be deleted.

#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/options.h"

struct RunPlan {
  std::vector<PlannedFile> files;  // in the order given, each file once
  int exitCode = kExitSuccess;     // kExitFailure when inputs were refused
};

// Plans a run over inputs. With RunMode::ToStandardOutput, a standard output that is one of
// the inputs refuses the whole run, with one line. The same file under two names (one identity) is kept once, at its
// first place. In RunMode::Decrypt, inputs whose outputs would be one file (the same folder
// and a name that the system takes as the same: on Windows regardless of letter case; or one
// existing file that both names reach) are all refused, each with a line on sink naming another
// of them; their files are left as they are.
RunPlan PlanRun(const Options& options, const std::vector<std::string>& inputs, BatchSink& sink);
