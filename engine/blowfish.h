#pragma once
// Blowfish with the published tables, keyed and used the way the encrypted log files need:
// each 8-byte block is two 32-bit halves stored little-endian (bytes 0..3 the left half,
// bytes 4..7 the right half), unlike the big-endian packing of the published test vectors.

#include <cstddef>
#include <cstdint>

struct BlowfishContext {
  uint32_t P[18];
  uint32_t S0[256];
  uint32_t S1[256];
  uint32_t S2[256];
  uint32_t S3[256];
};

// The hexadecimal digits of pi: 18 words of P-array, then S0, S1, S2, S3 of 256 words each.
extern const uint32_t BlowfishInitialP[18];
extern const uint32_t BlowfishInitialS[4 * 256];

// F(x) = ((S0[x >> 24] + S1[(x >> 16) & 0xFF]) ^ S2[(x >> 8) & 0xFF]) + S3[x & 0xFF].
uint32_t BlowfishRoundFunction(const BlowfishContext& context, uint32_t x);

// Encrypt / decrypt one block given as its two halves, in place. The context is only read.
void BlowfishEncryptBlock(const BlowfishContext& context, uint32_t& left, uint32_t& right);
void BlowfishDecryptBlock(const BlowfishContext& context, uint32_t& left, uint32_t& right);

// Builds the whole context from the initial tables and key bytes used cyclically, four per
// P word, most significant byte first. keyLength must be at least 1; no upper limit.
void BlowfishSetKey(BlowfishContext& context, const uint8_t* key, int32_t keyLength);

// Decrypts blockCount consecutive 8-byte blocks in place, each on its own (ECB) with the
// little-endian block byte order: byte for byte what BlowfishDecryptBlock gives block by block.
void BlowfishDecryptBlocks(const BlowfishContext& context, uint8_t* blocks, size_t blockCount);

// Overwrites the key schedule so no key material outlives its use.
void WipeBlowfishContext(BlowfishContext& context);
