#pragma once
// Comparisons with OpenSSL's Blowfish, the independent reference of the native cipher tests.
// Include after <openssl/blowfish.h>, in the native build only.

#include <cstdint>
#include <cstring>

#include "engine/blowfish.h"

// Whether context's four S-boxes equal OpenSSL's, which it keeps in one array of 4 x 256.
inline bool SameBoxes(const BlowfishContext& context, const BF_KEY& reference) {
  const uint32_t* boxes[4] = {context.S0, context.S1, context.S2, context.S3};
  for (size_t box = 0; box < 4; ++box) {
    if (std::memcmp(boxes[box], reference.S + 256 * box, 256 * sizeof(uint32_t)) != 0) return false;
  }
  return true;
}
