#include "cli/run_plan.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "cli/messages.h"
#include "engine/output_path.h"
#include "platform/file.h"
#include "platform/path_text.h"

namespace {

// What makes two output paths one file: an output already there is the file its name reaches,
// whatever other name reaches it too (another letter case, an 8.3 short name); a new one is
// its folder (by identity where it exists, else by its text) and its name as the system
// compares it.
enum class KeyKind { ExistingFile, InFolder, InFolderText };
using OutputKey = std::tuple<KeyKind, uint64_t, uint64_t, std::string, std::string>;

// A look-up opens the file on Windows, which a run of many small files pays for each time:
// each folder is looked up once.
class OutputKeys {
 public:
  OutputKey KeyOf(const std::string& outputPath,
                  const std::optional<platform::FileIdentity>& existing) {
    if (existing) return {KeyKind::ExistingFile, existing->volume, existing->index, {}, {}};
    const std::string folder = platform::FolderOf(outputPath);
    const std::string name =
        platform::NameComparisonKey(std::string(platform::LastName(outputPath)));
    const auto [entry, added] = folders_.try_emplace(folder);
    if (added) entry->second = platform::IdentityOfPath(folder.empty() ? "." : folder);
    if (const auto& identity = entry->second) {
      return {KeyKind::InFolder, identity->volume, identity->index, std::string(), name};
    }
    return {KeyKind::InFolderText, 0, 0, folder, name};
  }

 private:
  std::map<std::string, std::optional<platform::FileIdentity>> folders_;
};

}  // namespace

RunPlan PlanRun(const Options& options, const std::vector<std::string>& inputs, BatchSink& sink) {
  RunPlan plan;
  std::set<std::pair<uint64_t, uint64_t>> seen;
  std::vector<std::string> unique;
  for (const std::string& input : inputs) {
    // A missing input has no identity; it is reported when its turn comes.
    if (const auto identity = platform::IdentityOfPath(input)) {
      if (!seen.insert({identity->volume, identity->index}).second) continue;
    }
    unique.push_back(input);
  }
  if (options.mode == RunMode::ToStandardOutput) {
    // Standard output redirected onto one of the inputs ("1<>" or ">>") would overwrite or grow
    // it while files before it are written out.
    const auto standardOutput = platform::File::StandardOutput().Identity();
    for (const std::string& input : unique) {
      if (standardOutput && standardOutput == platform::IdentityOfPath(input)) {
        sink.Error(messages::StandardOutputIsAnInput(input));
        plan.exitCode = kExitFailure;
        return plan;
      }
    }
  }
  if (options.mode != RunMode::Decrypt) {
    for (std::string& input : unique) plan.files.push_back({std::move(input), false});
    return plan;
  }

  std::vector<std::string> outputs;
  std::vector<bool> existed;
  std::map<OutputKey, std::vector<size_t>> byOutput;
  OutputKeys keys;
  for (size_t i = 0; i < unique.size(); ++i) {
    const std::string folder = options.outputFolder.value_or(DefaultOutputFolder(unique[i]));
    outputs.push_back(OutputPathFor(folder, unique[i]));
    const auto existing = platform::IdentityOfPath(outputs.back());
    existed.push_back(existing.has_value());
    byOutput[keys.KeyOf(outputs.back(), existing)].push_back(i);
  }
  std::vector<bool> refused(unique.size(), false);
  for (const auto& [key, sharing] : byOutput) {
    if (sharing.size() < 2) continue;
    for (size_t n = 0; n < sharing.size(); ++n) {
      const size_t input = sharing[n];
      const size_t other = sharing[n == 0 ? 1 : 0];
      refused[input] = true;
      sink.Error(messages::SameOutput(unique[input], unique[other], outputs[input]));
    }
    plan.exitCode = kExitFailure;
  }
  for (size_t i = 0; i < unique.size(); ++i) {
    if (!refused[i]) plan.files.push_back({unique[i], existed[i]});
  }
  return plan;
}
