#pragma once
// One file decrypted by several threads at once: ECB blocks are independent, so each thread
// takes its own range of the input and writes the plaintext at the same offsets.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/blowfish.h"
#include "engine/decrypt_file.h"
#include "platform/file.h"

struct RangedCopy {
  uint64_t start = 0;       // first input byte to decrypt, a multiple of bufferSize
  uint64_t total = 0;       // the input's size
  unsigned workers = 2;
  size_t bufferSize = 0;    // per worker, a multiple of 8
  // Asked every few hundredths of a second, on the calling thread, with the input bytes
  // done so far; false stops the workers.
  std::function<bool(uint64_t done)> keepGoing;
};

// Decrypts input bytes [start, total) into output. The result's bytesWritten counts the
// plaintext written, the padded tail included. On failure the first failure seen wins;
// an input that ends early is unreadable, since a range of the output would stay a hole.
DecryptResult CopyDecryptedInRanges(const BlowfishContext& key, platform::File& input,
                                    platform::File& output, const RangedCopy& copy);
