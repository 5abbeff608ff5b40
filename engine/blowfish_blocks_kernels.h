#pragma once
// The per-path workers behind blowfish_blocks.h, for the dispatcher only. Each one has the
// contract of BlowfishDecryptBlocks and handles every block count, its own tail included.
// The SIMD ones may be called only when the processor supports their instruction set.

#include <cstddef>
#include <cstdint>

#include "engine/blowfish.h"

void BlowfishDecryptBlocksPortable(const BlowfishContext& context, uint8_t* blocks,
                                   size_t blockCount);

#if defined(__i386__) || defined(__x86_64__)
#define VELLUNORA_BLOWFISH_X86 1
void BlowfishDecryptBlocksAvx2(const BlowfishContext& context, uint8_t* blocks, size_t blockCount);
void BlowfishDecryptBlocksAvx512(const BlowfishContext& context, uint8_t* blocks,
                                 size_t blockCount);
#endif
