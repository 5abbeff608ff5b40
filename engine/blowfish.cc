#include "engine/blowfish.h"

#include <cstring>

#include "platform/secure_wipe.h"

namespace {

inline uint32_t F(const BlowfishContext& c, uint32_t x) {
  return ((c.S0[x >> 24] + c.S1[(x >> 16) & 0xFF]) ^ c.S2[(x >> 8) & 0xFF]) + c.S3[x & 0xFF];
}

// The rounds are written two at a time with the halves' roles alternating, which is the
// published round-and-exchange description without the exchanges.
inline void Encrypt(const BlowfishContext& c, uint32_t& left, uint32_t& right) {
  uint32_t a = left;
  uint32_t b = right;
  for (int i = 0; i < 16; i += 2) {
    a ^= c.P[i];
    b ^= F(c, a);
    b ^= c.P[i + 1];
    a ^= F(c, b);
  }
  a ^= c.P[16];
  b ^= c.P[17];
  left = b;
  right = a;
}

inline void Decrypt(const BlowfishContext& c, uint32_t& left, uint32_t& right) {
  uint32_t a = left;
  uint32_t b = right;
  for (int i = 17; i > 1; i -= 2) {
    a ^= c.P[i];
    b ^= F(c, a);
    b ^= c.P[i - 1];
    a ^= F(c, b);
  }
  a ^= c.P[1];
  b ^= c.P[0];
  left = b;
  right = a;
}

}  // namespace

uint32_t BlowfishRoundFunction(const BlowfishContext& context, uint32_t x) { return F(context, x); }

void BlowfishEncryptBlock(const BlowfishContext& context, uint32_t& left, uint32_t& right) {
  Encrypt(context, left, right);
}

void BlowfishDecryptBlock(const BlowfishContext& context, uint32_t& left, uint32_t& right) {
  Decrypt(context, left, right);
}

void BlowfishSetKey(BlowfishContext& context, const uint8_t* key, int32_t keyLength) {
  std::memcpy(context.S0, BlowfishInitialS + 0 * 256, sizeof context.S0);
  std::memcpy(context.S1, BlowfishInitialS + 1 * 256, sizeof context.S1);
  std::memcpy(context.S2, BlowfishInitialS + 2 * 256, sizeof context.S2);
  std::memcpy(context.S3, BlowfishInitialS + 3 * 256, sizeof context.S3);

  // The key position runs on across P words rather than restarting for each, so a key whose
  // length is not a multiple of 4 straddles word boundaries.
  const size_t length = static_cast<size_t>(keyLength);
  size_t position = 0;
  for (int i = 0; i < 18; ++i) {
    uint32_t word = 0;
    for (int k = 0; k < 4; ++k) {
      word = word << 8 | key[position];
      if (++position >= length) position = 0;
    }
    context.P[i] = BlowfishInitialP[i] ^ word;
  }

  // One chain of 521 encryptions; each one already sees the words replaced before it.
  uint32_t left = 0;
  uint32_t right = 0;
  for (int i = 0; i < 18; i += 2) {
    Encrypt(context, left, right);
    context.P[i] = left;
    context.P[i + 1] = right;
  }
  for (uint32_t* box : {context.S0, context.S1, context.S2, context.S3}) {
    for (int j = 0; j < 256; j += 2) {
      Encrypt(context, left, right);
      box[j] = left;
      box[j + 1] = right;
    }
  }
}

void WipeBlowfishContext(BlowfishContext& context) { SecureWipe(&context, sizeof context); }
