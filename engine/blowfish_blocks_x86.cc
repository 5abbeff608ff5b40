// Gather-based decryption: each vector lane carries one block's half, and each round's four
// S-box look-ups become four gathers, so 8 (AVX2) or 16 (AVX-512) blocks go through the
// round chain together. Several vectors are kept in flight because one vector's rounds are
// still a serial chain of gathers whose latency would otherwise sit idle.
//
// The functions carry their instruction set in a target attribute rather than the file being
// compiled for it, so the rest of the program stays runnable on any x86 processor; the
// dispatcher calls them only after checking the processor.

#include "engine/blowfish_blocks_kernels.h"

#if defined(VELLUNORA_BLOWFISH_X86)

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace {

#define AVX2_FUNCTION __attribute__((target("avx2")))
#define AVX512_FUNCTION __attribute__((target("avx512f")))

// Vectors in flight, by measurement (64 MiB, one core). With AVX2 four beat two even on the
// 32-bit target, where they spill: the gathers' latency costs more than the spills. With
// AVX-512 the 32-bit target's 8 vector registers hold two vectors' state and four lose; with
// 32 registers four gain a little over two.
constexpr size_t kAvx2Vectors = 4;
#if defined(__i386__)
constexpr size_t kAvx512Vectors = 2;
#else
constexpr size_t kAvx512Vectors = 4;
#endif

inline const int* Table(const uint32_t* box) { return reinterpret_cast<const int*>(box); }

inline int Word(uint32_t word) { return static_cast<int>(word); }

// x86 is little-endian, so an unaligned vector load already yields each 32-bit half as
// load32_le would build it; only the halves' interleaving needs undoing. Which block lands in
// which lane does not matter as long as the store puts it back, so in-lane shuffles suffice.

AVX2_FUNCTION inline __m256i F8(const BlowfishContext& c, __m256i x) {
  const __m256i mask = _mm256_set1_epi32(0xFF);
  const __m256i s0 = _mm256_i32gather_epi32(Table(c.S0), _mm256_srli_epi32(x, 24), 4);
  const __m256i s1 =
      _mm256_i32gather_epi32(Table(c.S1), _mm256_and_si256(_mm256_srli_epi32(x, 16), mask), 4);
  const __m256i s2 =
      _mm256_i32gather_epi32(Table(c.S2), _mm256_and_si256(_mm256_srli_epi32(x, 8), mask), 4);
  const __m256i s3 = _mm256_i32gather_epi32(Table(c.S3), _mm256_and_si256(x, mask), 4);
  return _mm256_add_epi32(_mm256_xor_si256(_mm256_add_epi32(s0, s1), s2), s3);
}

template <size_t kVectors>
AVX2_FUNCTION inline void DecryptAvx2(const BlowfishContext& c, uint8_t* block) {
  __m256i a[kVectors];
  __m256i b[kVectors];
  for (size_t k = 0; k < kVectors; ++k) {
    const auto* source = reinterpret_cast<const __m256i*>(block + 64 * k);
    const __m256 lo = _mm256_castsi256_ps(_mm256_loadu_si256(source));
    const __m256 hi = _mm256_castsi256_ps(_mm256_loadu_si256(source + 1));
    a[k] = _mm256_castps_si256(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
    b[k] = _mm256_castps_si256(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
  }
  // The rounds in the portable path's order: P[17] on the way in, P[1] inside the last round.
  const __m256i p17 = _mm256_set1_epi32(Word(c.P[17]));
  for (size_t k = 0; k < kVectors; ++k) a[k] = _mm256_xor_si256(a[k], p17);
  for (int i = 16; i > 0; i -= 2) {
    const __m256i p = _mm256_set1_epi32(Word(c.P[i]));
    const __m256i q = _mm256_set1_epi32(Word(c.P[i - 1]));
    for (size_t k = 0; k < kVectors; ++k) {
      b[k] = _mm256_xor_si256(b[k], _mm256_xor_si256(F8(c, a[k]), p));
    }
    for (size_t k = 0; k < kVectors; ++k) {
      a[k] = _mm256_xor_si256(a[k], _mm256_xor_si256(F8(c, b[k]), q));
    }
  }
  const __m256i p0 = _mm256_set1_epi32(Word(c.P[0]));
  for (size_t k = 0; k < kVectors; ++k) {
    const __m256i left = _mm256_xor_si256(b[k], p0);
    const __m256i right = a[k];
    auto* target = reinterpret_cast<__m256i*>(block + 64 * k);
    _mm256_storeu_si256(target, _mm256_unpacklo_epi32(left, right));
    _mm256_storeu_si256(target + 1, _mm256_unpackhi_epi32(left, right));
  }
}

// GCC 12's plain forms of the shift, gather and unpack intrinsics start from a deliberately
// undefined register and warn about it under -Wall; the fully masked forms with a zero start
// compile to the same instructions.
AVX512_FUNCTION inline __m512i ShiftRight(__m512i x, unsigned int bits) {
  return _mm512_maskz_srli_epi32(0xFFFF, x, bits);
}

AVX512_FUNCTION inline __m512i Gather(const uint32_t* box, __m512i index) {
  return _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, index, Table(box), 4);
}

AVX512_FUNCTION inline __m512i F16(const BlowfishContext& c, __m512i x) {
  const __m512i mask = _mm512_set1_epi32(0xFF);
  const __m512i s0 = Gather(c.S0, ShiftRight(x, 24));
  const __m512i s1 = Gather(c.S1, _mm512_and_si512(ShiftRight(x, 16), mask));
  const __m512i s2 = Gather(c.S2, _mm512_and_si512(ShiftRight(x, 8), mask));
  const __m512i s3 = Gather(c.S3, _mm512_and_si512(x, mask));
  return _mm512_add_epi32(_mm512_xor_si512(_mm512_add_epi32(s0, s1), s2), s3);
}

template <size_t kVectors>
AVX512_FUNCTION inline void DecryptAvx512(const BlowfishContext& c, uint8_t* block) {
  __m512i a[kVectors];
  __m512i b[kVectors];
  for (size_t k = 0; k < kVectors; ++k) {
    const __m512 lo = _mm512_castsi512_ps(_mm512_loadu_si512(block + 128 * k));
    const __m512 hi = _mm512_castsi512_ps(_mm512_loadu_si512(block + 128 * k + 64));
    a[k] = _mm512_castps_si512(_mm512_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
    b[k] = _mm512_castps_si512(_mm512_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
  }
  const __m512i p17 = _mm512_set1_epi32(Word(c.P[17]));
  for (size_t k = 0; k < kVectors; ++k) a[k] = _mm512_xor_si512(a[k], p17);
  for (int i = 16; i > 0; i -= 2) {
    const __m512i p = _mm512_set1_epi32(Word(c.P[i]));
    const __m512i q = _mm512_set1_epi32(Word(c.P[i - 1]));
    for (size_t k = 0; k < kVectors; ++k) {
      b[k] = _mm512_xor_si512(b[k], _mm512_xor_si512(F16(c, a[k]), p));
    }
    for (size_t k = 0; k < kVectors; ++k) {
      a[k] = _mm512_xor_si512(a[k], _mm512_xor_si512(F16(c, b[k]), q));
    }
  }
  const __m512i p0 = _mm512_set1_epi32(Word(c.P[0]));
  for (size_t k = 0; k < kVectors; ++k) {
    const __m512i left = _mm512_xor_si512(b[k], p0);
    const __m512i right = a[k];
    _mm512_storeu_si512(block + 128 * k, _mm512_maskz_unpacklo_epi32(0xFFFF, left, right));
    _mm512_storeu_si512(block + 128 * k + 64, _mm512_maskz_unpackhi_epi32(0xFFFF, left, right));
  }
}

}  // namespace

AVX2_FUNCTION void BlowfishDecryptBlocksAvx2(const BlowfishContext& context, uint8_t* blocks,
                                             size_t blockCount) {
  constexpr size_t kGroup = 8 * kAvx2Vectors;
  size_t remaining = blockCount;
  for (; remaining >= kGroup; remaining -= kGroup, blocks += 8 * kGroup) {
    DecryptAvx2<kAvx2Vectors>(context, blocks);
  }
  for (; remaining >= 8; remaining -= 8, blocks += 8 * 8) DecryptAvx2<1>(context, blocks);
  BlowfishDecryptBlocksPortable(context, blocks, remaining);
}

AVX512_FUNCTION void BlowfishDecryptBlocksAvx512(const BlowfishContext& context, uint8_t* blocks,
                                                 size_t blockCount) {
  constexpr size_t kGroup = 16 * kAvx512Vectors;
  size_t remaining = blockCount;
  for (; remaining >= kGroup; remaining -= kGroup, blocks += 8 * kGroup) {
    DecryptAvx512<kAvx512Vectors>(context, blocks);
  }
  for (; remaining >= 16; remaining -= 16, blocks += 8 * 16) DecryptAvx512<1>(context, blocks);
  // Fewer than 16 blocks left: the AVX2 path covers 8 of them, since every AVX-512 processor
  // also has AVX2.
  BlowfishDecryptBlocksAvx2(context, blocks, remaining);
}

#endif
