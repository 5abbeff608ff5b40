#include "cli/run_plan.h"

#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "cli/messages.h"
#include "engine/output_path.h"
#include "platform/file.h"
#include "platform/path_text.h"

namespace {

// What makes two output paths one file: their folder (by identity where it exists, else by its
// text) and the name as the system compares it.
using OutputKey = std::tuple<bool, uint64_t, uint64_t, std::string, std::string>;

std::string NameAsCompared(std::string_view name) {
  std::string compared(name);
  if constexpr (platform::kNativePathStyle == platform::PathStyle::Windows) {
    // Windows compares names without regard to letter case. On code page 932 only the ASCII
    // letters have case, and the second byte of a double-byte character, which can look like
    // a letter, is not one.
    for (size_t i = 0; i < compared.size(); i += platform::CharacterLength(compared, i)) {
      char& c = compared[i];
      if (platform::CharacterLength(compared, i) == 1 && c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
  }
  return compared;
}

OutputKey KeyOf(const std::string& outputPath) {
  const std::string folder = platform::FolderOf(outputPath);
  const std::string name = NameAsCompared(platform::LastName(outputPath));
  if (const auto identity = platform::IdentityOfPath(folder.empty() ? "." : folder)) {
    return {true, identity->volume, identity->index, std::string(), name};
  }
  return {false, 0, 0, folder, name};
}

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
    plan.files = std::move(unique);
    return plan;
  }

  std::vector<std::string> outputs;
  std::map<OutputKey, std::vector<size_t>> byOutput;
  for (size_t i = 0; i < unique.size(); ++i) {
    const std::string folder = options.outputFolder.value_or(DefaultOutputFolder(unique[i]));
    outputs.push_back(OutputPathFor(folder, unique[i]));
    byOutput[KeyOf(outputs.back())].push_back(i);
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
    if (!refused[i]) plan.files.push_back(unique[i]);
  }
  return plan;
}
