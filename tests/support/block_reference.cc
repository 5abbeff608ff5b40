#include "tests/support/block_reference.h"

#include <cstring>

void DecryptOneByOne(const BlowfishContext& context, uint8_t* blocks, size_t blockCount) {
  for (size_t i = 0; i < blockCount; ++i) {
    uint8_t* block = blocks + 8 * i;
    uint32_t left = 0, right = 0;
    for (int k = 3; k >= 0; --k) {
      left = left << 8 | block[k];
      right = right << 8 | block[4 + k];
    }
    BlowfishDecryptBlock(context, left, right);
    for (int k = 0; k < 4; ++k) {
      block[k] = static_cast<uint8_t>(left >> (8 * k));
      block[4 + k] = static_cast<uint8_t>(right >> (8 * k));
    }
  }
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t count) {
  std::vector<uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

bool SameContext(const BlowfishContext& a, const BlowfishContext& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}
