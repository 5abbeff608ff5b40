#pragma once
// The one step every decryption of file bytes goes through.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/blowfish.h"
#include "engine/blowfish_blocks.h"

// Decrypts the first count bytes of buffer in place; a short tail is padded with spaces up
// to a whole block first, so buffer needs room for it. Returns the number of bytes now
// holding plaintext.
inline size_t DecryptBuffer(const BlowfishContext& key, std::span<uint8_t> buffer, size_t count) {
  const size_t padded = (count + 7) / 8 * 8;
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(count),
            buffer.begin() + static_cast<std::ptrdiff_t>(padded), uint8_t{0x20});
  BlowfishDecryptBlocks(key, buffer.data(), padded / 8);
  return padded;
}
