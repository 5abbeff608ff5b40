#pragma once
// MD5 exactly as RFC 1321, with its reference code's names.

#include <cstdint>

struct MD5_CTX {
  uint32_t state[4];   // A, B, C, D
  uint32_t count[2];   // number of bits, modulo 2^64, low word first
  uint8_t buffer[64];  // input not yet compressed
};

void MD5Init(MD5_CTX& context);
void MD5Update(MD5_CTX& context, const uint8_t* input, uint32_t inputLength);
// Writes the 16-byte digest and clears the context to zeros.
void MD5Final(uint8_t digest[16], MD5_CTX& context);
void MD5Transform(uint32_t state[4], const uint8_t block[64]);

// Digest of the bytes of a NUL-terminated text before its NUL.
void DigestText(const char* text, uint8_t digest[16]);

// Replaces the first 16 bytes of buffer (at least 33 bytes long) in place by the digest's
// 32 lowercase hexadecimal characters ("%02x" per byte, byte 0 first) and a NUL.
void DigestToHexText(uint8_t* buffer);
