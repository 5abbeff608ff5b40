#pragma once
// OpenSSL as the independent reference of the native cipher and digest tests, in the native
// build only.

// The low-level BF_* interface is deprecated in OpenSSL 3 but is the reference whose key
// schedule can be compared word for word.
#ifndef OPENSSL_SUPPRESS_DEPRECATED
#define OPENSSL_SUPPRESS_DEPRECATED
#endif
#include <openssl/blowfish.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "engine/blowfish.h"

// Whether context's four S-boxes equal OpenSSL's, which it keeps in one array of 4 x 256.
inline bool SameBoxes(const BlowfishContext& context, const BF_KEY& reference) {
  const uint32_t* boxes[4] = {context.S0, context.S1, context.S2, context.S3};
  for (size_t box = 0; box < 4; ++box) {
    if (std::memcmp(boxes[box], reference.S + 256 * box, 256 * sizeof(uint32_t)) != 0) return false;
  }
  return true;
}

// OpenSSL's MD5 of bytes, as 32 lowercase hexadecimal digits.
inline std::string OpenSslMd5Hex(std::string_view bytes) {
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EXPECT_EQ(1, EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr));
  EXPECT_EQ(length, 16u);
  std::string hex;
  char pair[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}
