#include "engine/blowfish_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/blowfish.h"
#include "tests/support/block_reference.h"

namespace {

struct PathCase {
  BlowfishPath path;
  const char* name;
  const char* cpuFlag;  // the /proc/cpuinfo flag the path needs, or nullptr
};

const PathCase kPaths[] = {
    {BlowfishPath::Portable, "Portable", nullptr},
    {BlowfishPath::Avx2, "Avx2", "avx2"},
    {BlowfishPath::Avx512, "Avx512", "avx512f"},
};

std::unique_ptr<BlowfishContext> RandomKey(std::mt19937& random) {
  const std::vector<uint8_t> key = RandomBytes(random, 1 + random() % 56);
  auto context = std::make_unique<BlowfishContext>();
  BlowfishSetKey(*context, key.data(), static_cast<int32_t>(key.size()));
  return context;
}

// Every count up to one whole group of the widest path (4 vectors of 16 blocks) plus each
// tail length after it, and large counts that run the main loops many times before a tail.
std::vector<size_t> BlockCounts() {
  std::vector<size_t> counts;
  for (size_t n = 0; n <= 70; ++n) counts.push_back(n);
  for (size_t n : {size_t{4096}, size_t{4096 + 3}, size_t{4096 + 31}, size_t{10000 + 7}}) {
    counts.push_back(n);
  }
  return counts;
}

// Decrypts count blocks placed `offset` bytes into a buffer with guard bytes on both sides,
// and checks them against the reference and the guards against change. Reports the first
// differing byte rather than the whole buffer, which runs to tens of kilobytes.
::testing::AssertionResult SameAsOneByOne(BlowfishPath path, const BlowfishContext& context,
                                          std::mt19937& random, size_t count, size_t offset) {
  constexpr size_t kGuard = 64;
  const std::vector<uint8_t> original = RandomBytes(random, offset + 8 * count + kGuard);
  std::vector<uint8_t> expected = original;
  DecryptOneByOne(context, expected.data() + offset, count);
  std::vector<uint8_t> actual = original;
  BlowfishDecryptBlocksWith(path, context, actual.data() + offset, count);
  const auto [mismatch, _] = std::mismatch(actual.begin(), actual.end(), expected.begin());
  if (mismatch == actual.end()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "blocks " << count << ", offset " << offset << ": first wrong byte at "
         << (mismatch - actual.begin()) << " of " << actual.size();
}

TEST(BlowfishBlocks, EveryPathMatchesOneBlockAtATimeForEveryCount) {
  std::mt19937 random(6);
  for (const PathCase& p : kPaths) {
    if (!BlowfishPathAvailable(p.path)) continue;
    SCOPED_TRACE(p.name);
    for (size_t count : BlockCounts()) {
      const auto context = RandomKey(random);
      ASSERT_TRUE(SameAsOneByOne(p.path, *context, random, count, 0));
    }
  }
}

TEST(BlowfishBlocks, EveryPathHandlesUnalignedBuffers) {
  std::mt19937 random(7);
  for (const PathCase& p : kPaths) {
    if (!BlowfishPathAvailable(p.path)) continue;
    SCOPED_TRACE(p.name);
    const auto context = RandomKey(random);
    for (size_t offset = 1; offset < 8; ++offset) {
      for (size_t count : {size_t{1}, size_t{9}, size_t{33}, size_t{67}, size_t{1024 + 5}}) {
        ASSERT_TRUE(SameAsOneByOne(p.path, *context, random, count, offset));
      }
    }
  }
}

TEST(BlowfishBlocks, BestPathIsAvailableAndUsedByDecryptBlocks) {
  EXPECT_TRUE(BlowfishPathAvailable(BlowfishBestPath()));
  EXPECT_TRUE(BlowfishPathAvailable(MeasureFastestBlowfishPath()));
  std::mt19937 random(8);
  const auto context = RandomKey(random);
  for (size_t count : {size_t{0}, size_t{1}, size_t{47}, size_t{4096 + 3}}) {
    const std::vector<uint8_t> original = RandomBytes(random, 8 * count);
    std::vector<uint8_t> viaBest = original;
    BlowfishDecryptBlocks(*context, viaBest.data(), count);
    std::vector<uint8_t> viaWith = original;
    BlowfishDecryptBlocksWith(BlowfishBestPath(), *context, viaWith.data(), count);
    std::vector<uint8_t> expected = original;
    DecryptOneByOne(*context, expected.data(), count);
    EXPECT_TRUE(viaBest == expected) << "blocks " << count;
    EXPECT_TRUE(viaWith == expected) << "blocks " << count;
  }
}

TEST(BlowfishBlocks, PortablePathIsAlwaysAvailable) {
  EXPECT_TRUE(BlowfishPathAvailable(BlowfishPath::Portable));
}

// A forced path this processor cannot run would crash on its first block.
TEST(BlowfishBlocks, SettingTakesOnlyExactNamesOfPathsThisProcessorRuns) {
  for (const PathCase& p : kPaths) {
    const std::string_view name = BlowfishPathName(p.path);
    const std::optional<BlowfishPath> taken = BlowfishPathFromSetting(name);
    if (BlowfishPathAvailable(p.path)) {
      EXPECT_EQ(taken, p.path) << name;
    } else {
      EXPECT_EQ(taken, std::nullopt) << name;
    }
  }
  for (const char* setting : {"", "Portable", "AVX2", "portable ", "avx", "avx512f", "fastest"}) {
    EXPECT_EQ(BlowfishPathFromSetting(setting), std::nullopt) << setting;
  }
}

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
// The kernel lists only the features it has enabled, so its flags are an independent account
// of which paths may run: one reported available without its flag would crash on first use.
TEST(BlowfishBlocks, AvailabilityMatchesTheProcessorsFlags) {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  std::vector<std::string> flags;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("flags", 0) != 0) continue;
    std::istringstream words(line.substr(line.find(':') + 1));
    for (std::string word; words >> word;) flags.push_back(word);
    break;
  }
  ASSERT_FALSE(flags.empty());
  for (const PathCase& p : kPaths) {
    if (p.cpuFlag == nullptr) continue;
    const bool hasFlag = std::find(flags.begin(), flags.end(), p.cpuFlag) != flags.end();
    EXPECT_EQ(BlowfishPathAvailable(p.path), hasFlag) << p.name;
  }
}
#endif

// Asking for a path this machine cannot run must still decrypt correctly rather than fault,
// so callers holding a stale or foreign choice get the right bytes.
TEST(BlowfishBlocks, UnavailablePathStillGivesTheReferenceBytes) {
  std::mt19937 random(9);
  const auto context = RandomKey(random);
  bool anyUnavailable = false;
  for (const PathCase& p : kPaths) {
    if (BlowfishPathAvailable(p.path)) continue;
    anyUnavailable = true;
    SCOPED_TRACE(p.name);
    EXPECT_TRUE(SameAsOneByOne(p.path, *context, random, 67, 0));
  }
  if (!anyUnavailable) GTEST_SKIP() << "every path runs on this machine";
}

}  // namespace
