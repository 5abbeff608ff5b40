#include "tests/support/fault_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>

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

uint64_t KillSeed() {
  if (const char* given = std::getenv("VELLUNORA_KILL_SEED")) {
    return std::strtoull(given, nullptr, 10);
  }
  std::random_device device;
  return (uint64_t{device()} << 32) | device();
}
