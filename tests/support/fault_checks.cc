#include "tests/support/fault_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <ostream>
#include <random>
#include <stdexcept>

#include "platform/directory.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

// The whole file in one read: ReadFileBytes goes a byte at a time, which makes the many
// comparisons of 64 MiB files slow, the more so in the sanitizer build.
std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::vector<uint8_t> bytes(static_cast<size_t>(file.tellg()));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()))) {
    throw std::runtime_error("cannot read " + path);
  }
  return bytes;
}

std::optional<std::string> FailureLineFor(const std::string& err, const std::string& input) {
  const std::string start = kDecoderLinePrefix + input + ": ";
  for (const std::string& line : SplitLines(err)) {
    if (line.compare(0, start.size(), start) == 0) return line;
  }
  return std::nullopt;
}

}  // namespace

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != NativeSeparator()) path += NativeSeparator();
  path += name;
  return path;
}

std::string LogName(char letter, size_t number) {
  // Built piece by piece: GCC 12 warns falsely (-Wrestrict) about a literal + std::string.
  std::string name(1, letter);
  name += std::to_string(number);
  name += ".$S$";
  return name;
}

LogFile WriteLog(const std::string& folder, const std::string& name, size_t size, uint32_t seed,
                 const std::string& outputFolder) {
  std::string outputName = name.substr(0, name.rfind('.'));
  outputName += ".CSV";
  LogFile log{JoinPath(folder, name),
              JoinPath(outputFolder, outputName),
              MakeSampleLog(kFaultPassword, size, seed),
              {}};
  log.plain = ReferenceDecrypt(kFaultPassword, log.cipher);
  WriteFileBytes(log.input, log.cipher);
  return log;
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

std::vector<std::string> NamesIn(const std::string& folder) {
  const platform::Result<std::vector<platform::DirectoryEntry>> entries =
      platform::ListDirectory(folder);
  if (!entries) {
    throw std::runtime_error("cannot list " + folder + ": error " + std::to_string(entries.error));
  }
  std::vector<std::string> names;
  for (const platform::DirectoryEntry& entry : *entries.value) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
  std::vector<std::string> temporary;
  for (const std::string& name : NamesIn(folder)) {
    if (name.starts_with("~") || name.ends_with(".tmp")) temporary.push_back(name);
  }
  return temporary;
}

std::string DifferenceFrom(const std::string& path, const std::vector<uint8_t>& expected) {
  const std::vector<uint8_t> actual = ReadWholeFile(path);
  if (actual.size() != expected.size()) {
    return path + " has " + std::to_string(actual.size()) + " bytes instead of " +
           std::to_string(expected.size());
  }
  if (actual.empty() || std::memcmp(actual.data(), expected.data(), actual.size()) == 0) return "";
  const auto [first, unused] = std::mismatch(actual.begin(), actual.end(), expected.begin());
  return path + " differs first at byte " + std::to_string(first - actual.begin());
}

std::string NotAPartOf(const std::string& path, const std::vector<uint8_t>& plain) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  if (bytes.size() > plain.size()) return path + " is longer than the plaintext";
  // Page by page with memcmp; a page that is neither is looked at byte by byte.
  constexpr size_t kPage = 4096;
  static const std::vector<uint8_t> zeros(kPage, 0);
  for (size_t start = 0; start < bytes.size(); start += kPage) {
    const size_t count = std::min(kPage, bytes.size() - start);
    if (std::memcmp(bytes.data() + start, plain.data() + start, count) == 0 ||
        std::memcmp(bytes.data() + start, zeros.data(), count) == 0) {
      continue;
    }
    for (size_t i = start; i < start + count; ++i) {
      if (bytes[i] != plain[i] && bytes[i] != 0) {
        return path + " holds a byte at " + std::to_string(i) + " that is not the plaintext's";
      }
    }
  }
  return "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void ExpectFate(const LogFile& log, Fate fate, const std::string& err,
                const std::vector<uint8_t>& olderOutput) {
  SCOPED_TRACE(log.input);
  const std::optional<std::string> failure = FailureLineFor(err, log.input);
  if (fate == Fate::Kept) {
    EXPECT_TRUE(failure.has_value()) << err;
  } else if (fate == Fate::Done) {
    EXPECT_FALSE(failure.has_value()) << err;
  }
  if (failure) {
    ASSERT_TRUE(PathExists(log.input)) << "reported failed, yet the input is gone";
    EXPECT_EQ(DifferenceFrom(log.input, log.cipher), "");
    if (olderOutput.empty()) {
      EXPECT_FALSE(PathExists(log.output)) << "a failed file left an output";
    } else {
      EXPECT_EQ(DifferenceFrom(log.output, olderOutput), "") << "the older output was touched";
    }
  } else {
    EXPECT_FALSE(PathExists(log.input)) << "not reported, yet the input is still there";
    ASSERT_TRUE(PathExists(log.output)) << "not reported, yet there is no output";
    EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
  }
}

void ExpectUnwritableRun(const std::vector<LogFile>& logs, const std::vector<Fate>& fates,
                         const std::vector<uint8_t>& olderOutput, const RunFolders& folders,
                         long long exitCode, const std::string& err,
                         const std::vector<std::string>& reasons) {
  const std::vector<std::string> lines = SplitLines(err);
  EXPECT_FALSE(lines.empty()) << "a file that cannot be written must be reported";
  EXPECT_EQ(exitCode, lines.empty() ? 0 : 1) << err;
  for (const std::string& line : lines) {
    EXPECT_TRUE(std::any_of(reasons.begin(), reasons.end(), [&](const std::string& reason) {
      return line.find("に書けません" + reason) != std::string::npos;
    })) << line;
  }
  for (size_t i = 0; i < logs.size(); ++i) {
    ExpectFate(logs[i], fates[i], err, i == 0 ? olderOutput : std::vector<uint8_t>{});
  }
  std::vector<std::string> outputs;
  for (const LogFile& log : logs) {
    if (PathExists(log.output)) {
      outputs.push_back(log.output.substr(log.output.rfind(NativeSeparator()) + 1));
    }
  }
  EXPECT_EQ(NamesIn(folders.output), outputs) << "only whole outputs are left";
  EXPECT_EQ(TemporaryFilesIn(folders.input), std::vector<std::string>{});
}

void ExpectOneFileRun(const LogFile& log, const std::vector<uint8_t>& olderOutput,
                      const RunFolders& folders, long long exitCode, const std::string& err,
                      const OneFileEnd& expected) {
  EXPECT_EQ(exitCode, expected.exitCode) << err;
  if (expected.message.empty()) {
    EXPECT_EQ(err, "");
  } else {
    EXPECT_EQ(SplitLines(err).size(), 1u) << err;
    EXPECT_NE(err.find(expected.message), std::string::npos) << err;
  }
  if (expected.after == After::OutputOnly) {
    EXPECT_FALSE(PathExists(log.input));
  } else {
    ASSERT_TRUE(PathExists(log.input));
    EXPECT_EQ(DifferenceFrom(log.input, log.cipher), "");
  }
  if (expected.after != After::InputOnly) {
    ASSERT_TRUE(PathExists(log.output));
    EXPECT_EQ(DifferenceFrom(log.output, log.plain), "");
  } else if (!olderOutput.empty()) {
    EXPECT_EQ(DifferenceFrom(log.output, olderOutput), "") << "the older output was touched";
  } else {
    EXPECT_FALSE(PathExists(log.output));
  }
  if (PathExists(folders.output)) {
    EXPECT_EQ(TemporaryFilesIn(folders.output), std::vector<std::string>{});
  }
  EXPECT_EQ(TemporaryFilesIn(folders.input), std::vector<std::string>{});
}

int DecoderLines::DecryptedCount() const {
  int count = 0;
  for (const int times : decrypted) count += times;
  return count;
}

bool DecoderLines::AnyFailure() const {
  return std::any_of(failures.begin(), failures.end(),
                     [](const std::vector<std::string>& rests) { return !rests.empty(); });
}

std::vector<std::string> ReasonsForATakenFile(const std::string& inUse,
                                              const std::string& notFound) {
  return {
      "復号に失敗しました。ファイルを読めません" + inUse + "。",
      "復号に失敗しました。ファイルがありません。",
      "復号に失敗しました。ファイルを読めません" + notFound + "。",
      "がすでにあります（置き換えるには -f）。",
      "復号しましたが、元のファイルを削除できません" + notFound + "。",
  };
}

void ReadDecoderLines(const std::string& err, const std::string& folder,
                      const std::vector<LogFile>& logs,
                      const std::vector<std::string>& allowedFailures, DecoderLines& lines) {
  lines.decrypted.assign(logs.size(), 0);
  lines.failures.assign(logs.size(), {});
  const std::string noFiles =
      kDecoderLinePrefix + ("フォルダー " + folder) + " に *.$S$ ファイルがありません。";
  for (const std::string& line : SplitLines(err)) {
    if (line == noFiles || IsDecryptionPathLine(line)) continue;
    size_t file = SIZE_MAX;
    bool decrypted = false;
    std::string rest;
    for (size_t i = 0; i < logs.size(); ++i) {
      const std::string about = kDecoderLinePrefix + logs[i].input;
      if (line == about + " -> " + logs[i].output + ": 復号しました。") {
        file = i;
        decrypted = true;
      } else if (line.starts_with(about + ": ")) {
        file = i;
        rest = line.substr(about.size() + 2);
      }
    }
    ASSERT_NE(file, SIZE_MAX) << "a line about no file: " << line;
    if (decrypted) {
      ++lines.decrypted[file];
      continue;
    }
    EXPECT_TRUE(std::any_of(allowedFailures.begin(), allowedFailures.end(),
                            [&](const std::string& reason) { return rest.ends_with(reason); }))
        << "an unexpected reason: " << line;
    lines.failures[file].push_back(std::move(rest));
  }
}

EndedRuns::EndedRuns(std::string folder, const LogFile& log, std::string stopped)
    : folder_(std::move(folder)), log_(log), stopped_(std::move(stopped)) {}

void EndedRuns::RestoreInput() const {
  if (!PathExists(log_.input)) WriteFileBytes(log_.input, log_.cipher);
  std::remove(log_.output.c_str());
}

void EndedRuns::CheckWholeRun(long long exitCode, const std::string& err) const {
  ASSERT_EQ(exitCode, 0) << err;
  ASSERT_EQ(DifferenceFrom(log_.output, log_.plain), "");
  ASSERT_FALSE(PathExists(log_.input));
  RestoreInput();
}

void EndedRuns::CheckRunBesideLeftovers(long long exitCode, const std::string& err) const {
  EXPECT_EQ(exitCode, 0) << "a run beside leftover temporary files failed: " << err;
  EXPECT_EQ(DifferenceFrom(log_.output, log_.plain), "");
  EXPECT_FALSE(PathExists(log_.input));
}

void EndedRuns::CheckRun(bool endedFromOutside, long long exitCode, const std::string& err) {
  bool input = false, output = false;
  for (const std::string& name : NamesIn(folder_)) {
    const std::string path = JoinPath(folder_, name);
    if (path == log_.input) {
      input = true;
      EXPECT_EQ(DifferenceFrom(path, log_.cipher), "") << "the input changed";
    } else if (path == log_.output) {
      output = true;
      EXPECT_EQ(DifferenceFrom(path, log_.plain), "") << "a partial file has the final name";
    } else {
      // The output is held until it is named: a run ended at any moment leaves no other file.
      ++leftovers_;
      ADD_FAILURE() << "left behind: " << name << " (" << std::filesystem::file_size(path)
                    << " bytes)";
      std::remove(path.c_str());
    }
  }
  ASSERT_TRUE(input || output) << "both the input and the output are gone";
  if (!endedFromOutside) {
    EXPECT_EQ(exitCode, 0) << err;
    EXPECT_TRUE(output && !input) << "a run that ended left its work undone";
    ++outcomes_["ended before being " + stopped_];
  } else if (output) {
    ++outcomes_[stopped_ + (input ? " between naming the output and deleting the input"
                                  : " after the deletion")];
  } else {
    ++outcomes_[stopped_ + " before the output was named"];
  }
  RestoreInput();
}

void EndedRuns::Summarize(std::ostream& out) const {
  out << "[ outcomes ]";
  for (const auto& [what, count] : outcomes_) out << " " << what << ": " << count << ";";
  out << "\n[ leftover ] " << leftovers_ << " files left behind\n";
}

uint64_t KillSeed(std::string_view ends) {
  uint64_t seed = 0;
  if (const char* given = std::getenv("VELLUNORA_KILL_SEED")) {
    seed = std::strtoull(given, nullptr, 10);
  } else {
    std::random_device device;
    seed = (uint64_t{device()} << 32) | device();
  }
  std::cout << "[   seed   ] VELLUNORA_KILL_SEED=" << seed << " reproduces these " << ends << "\n";
  testing::Test::RecordProperty("kill_seed", std::to_string(seed));
  return seed;
}
