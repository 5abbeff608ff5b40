#include "engine/blowfish_blocks.h"

#include <initializer_list>

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

BlowfishPath ChooseBestPath() {
  for (BlowfishPath path : {BlowfishPath::Avx512, BlowfishPath::Avx2}) {
    if (BlowfishPathAvailable(path)) return path;
  }
  return BlowfishPath::Portable;
}

}  // namespace

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

BlowfishPath BlowfishBestPath() {
  static const BlowfishPath best = ChooseBestPath();
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
