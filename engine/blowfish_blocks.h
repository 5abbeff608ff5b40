#pragma once
// Several ways to decrypt a run of independent blocks, all giving exactly the bytes of
// BlowfishDecryptBlock applied block by block; BlowfishDecryptBlocks (blowfish.h) uses the one
// that measured fastest on this processor. The choice is exposed so tests can hold every path
// to the one-block reference, whatever machine they run on.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/blowfish.h"

enum class BlowfishPath {
  Portable,  // plain C++, several blocks interleaved; runs everywhere
  Avx2,      // 8 blocks per 256-bit vector, S-box look-ups by gather
  Avx512,    // 16 blocks per 512-bit vector, S-box look-ups by gather
};

inline constexpr BlowfishPath kBlowfishPaths[] = {BlowfishPath::Portable, BlowfishPath::Avx2,
                                                  BlowfishPath::Avx512};

// Names a path to use instead of measuring, for tests and benchmarks; the values are the
// names BlowfishPathName gives. A path this processor cannot run is not taken.
inline constexpr char kBlowfishPathVariable[] = "VELLUNORA_BLOWFISH_PATH";

// "portable", "avx2" or "avx512".
std::string_view BlowfishPathName(BlowfishPath path);

// The path a kBlowfishPathVariable value names, when this processor can run it.
std::optional<BlowfishPath> BlowfishPathFromSetting(std::string_view setting);

// True when this build has the path and this processor (and operating system) can run it.
// Portable is always available.
bool BlowfishPathAvailable(BlowfishPath path);

// Times every available path on a few kilobytes that stay in the cache and returns the
// fastest. Flags alone cannot tell: gathers are fast on some processors with AVX-512 and
// slower than plain loads on others. Each call measures afresh, in well under a millisecond.
BlowfishPath MeasureFastestBlowfishPath();

// The path BlowfishDecryptBlocks uses: the one kBlowfishPathVariable names, or else the
// measured fastest. Decided once per process, on first use.
BlowfishPath BlowfishBestPath();

// BlowfishDecryptBlocks through the given path. A path that is not available is not run:
// the portable path does the work instead, so the result is the same bytes either way.
void BlowfishDecryptBlocksWith(BlowfishPath path, const BlowfishContext& context, uint8_t* blocks,
                               size_t blockCount);
