#pragma once
// Several ways to decrypt a run of independent blocks, all giving exactly the bytes of
// BlowfishDecryptBlock applied block by block; BlowfishDecryptBlocks (blowfish.h) picks the
// fastest one this processor runs. The choice is exposed so tests can hold every path to the
// one-block reference, whatever machine they run on.

#include <cstddef>
#include <cstdint>

#include "engine/blowfish.h"

enum class BlowfishPath {
  Portable,  // plain C++, several blocks interleaved; runs everywhere
  Avx2,      // 8 blocks per 256-bit vector, S-box look-ups by gather
  Avx512,    // 16 blocks per 512-bit vector, S-box look-ups by gather
};

// True when this build has the path and this processor (and operating system) can run it.
// Portable is always available.
bool BlowfishPathAvailable(BlowfishPath path);

// The path BlowfishDecryptBlocks uses; decided once, on first use.
BlowfishPath BlowfishBestPath();

// BlowfishDecryptBlocks through the given path. A path that is not available is not run:
// the portable path does the work instead, so the result is the same bytes either way.
void BlowfishDecryptBlocksWith(BlowfishPath path, const BlowfishContext& context, uint8_t* blocks,
                               size_t blockCount);
