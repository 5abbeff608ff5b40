#include "engine/blowfish_blocks.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "engine/blowfish_blocks_kernels.h"

namespace {

using Kernel = void (*)(const BlowfishContext&, uint8_t*, size_t);

Kernel KernelFor(BlowfishPath path) {
  if (!BlowfishPathAvailable(path)) return BlowfishDecryptBlocksPortable;
  switch (path) {
#if defined(VELLUNORA_BLOWFISH_X86)
    case BlowfishPath::Avx2:
      return BlowfishDecryptBlocksAvx2;
    case BlowfishPath::Avx512:
      return BlowfishDecryptBlocksAvx512;
#endif
    default:
      return BlowfishDecryptBlocksPortable;
  }
}

// 8 KiB of blocks: with the 4 KiB of tables still inside a first-level cache, so the figures
// are the paths' own and not the memory's. At several hundred MiB/s one pass takes about
// 10 µs, well above the clock's resolution on either system.
constexpr size_t kSampleBlocks = 1024;
// Each path runs this many times, alternating with the others; its best pass counts. The
// first pass pays for cold code and, on some processors, for waking the wide vector units.
constexpr int kPasses = 5;

}  // namespace

std::string_view BlowfishPathName(BlowfishPath path) {
  switch (path) {
    case BlowfishPath::Portable:
      return "portable";
    case BlowfishPath::Avx2:
      return "avx2";
    case BlowfishPath::Avx512:
      return "avx512";
  }
  return "portable";
}

std::optional<BlowfishPath> BlowfishPathFromSetting(std::string_view setting) {
  for (BlowfishPath path : kBlowfishPaths) {
    if (setting == BlowfishPathName(path) && BlowfishPathAvailable(path)) return path;
  }
  return std::nullopt;
}

bool BlowfishPathAvailable(BlowfishPath path) {
  switch (path) {
    case BlowfishPath::Portable:
      return true;
#if defined(VELLUNORA_BLOWFISH_X86)
    // GCC's check also asks whether the operating system saves the wider registers.
    case BlowfishPath::Avx2:
      return __builtin_cpu_supports("avx2");
    // The AVX-512 path finishes its tail on the AVX2 one.
    case BlowfishPath::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2");
#else
    case BlowfishPath::Avx2:
    case BlowfishPath::Avx512:
      return false;
#endif
  }
  return false;
}

namespace {

BlowfishPath FastestInOneRound() {
  using Clock = std::chrono::steady_clock;
  // The published tables stand in for a key: a look-up costs the same whatever the values.
  BlowfishContext context;
  std::memcpy(context.P, BlowfishInitialP, sizeof context.P);
  std::memcpy(context.S0, BlowfishInitialS, 4 * sizeof context.S0);
  // Blocks that differ, so that no path is timed on look-ups that all hit one table entry.
  std::array<uint8_t, 8 * kSampleBlocks> sample;
  uint32_t seed = 0x9E3779B9;
  for (uint8_t& byte : sample) {
    seed = seed * 1664525 + 1013904223;
    byte = static_cast<uint8_t>(seed >> 24);
  }

  std::array<Clock::duration, std::size(kBlowfishPaths)> best;
  best.fill(Clock::duration::max());
  for (int pass = 0; pass < kPasses; ++pass) {
    for (size_t i = 0; i < std::size(kBlowfishPaths); ++i) {
      if (!BlowfishPathAvailable(kBlowfishPaths[i])) continue;
      const Kernel kernel = KernelFor(kBlowfishPaths[i]);
      const Clock::time_point start = Clock::now();
      kernel(context, sample.data(), kSampleBlocks);
      best[i] = std::min(best[i], Clock::now() - start);
    }
  }
  WipeBlowfishContext(context);
  // Ties go to the earlier, simpler path.
  return kBlowfishPaths[std::min_element(best.begin(), best.end()) - best.begin()];
}

}  // namespace

BlowfishPath MeasureFastestBlowfishPath() {
  // Another program busy on the same physical core slows plain loads more than gathers, so
  // for a moment a gather path can look fastest on a processor where it is a third slower
  // (seen a few times in a thousand runs under load). A vector path must therefore win twice
  // in a row, and a third round settles a disagreement; the portable path needs no second
  // look, as nothing seen makes it look faster than it is.
  const BlowfishPath first = FastestInOneRound();
  if (first == BlowfishPath::Portable) return first;
  const BlowfishPath second = FastestInOneRound();
  return second == first ? first : FastestInOneRound();
}

BlowfishPath BlowfishBestPath() {
  static const BlowfishPath best = [] {
    const char* setting = std::getenv(kBlowfishPathVariable);
    if (setting != nullptr) {
      if (const std::optional<BlowfishPath> forced = BlowfishPathFromSetting(setting)) {
        return *forced;
      }
    }
    return MeasureFastestBlowfishPath();
  }();
  return best;
}

void BlowfishDecryptBlocksWith(BlowfishPath path, const BlowfishContext& context, uint8_t* blocks,
                               size_t blockCount) {
  KernelFor(path)(context, blocks, blockCount);
}

void BlowfishDecryptBlocks(const BlowfishContext& context, uint8_t* blocks, size_t blockCount) {
  // Decided once: the processor does not change while the program runs.
  static const Kernel best = KernelFor(BlowfishBestPath());
  best(context, blocks, blockCount);
}
