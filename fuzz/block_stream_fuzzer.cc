// Block-stream decryption under arbitrary passwords and ciphertexts: every decryption path
// this processor runs must give the bytes of the one-block reference loop, and the key text
// must be the MD5 digest of the password, whichever way the password is fed in.
//
// Input: byte 0 is the password's length (at most the bytes that follow), then the password,
// then the ciphertext, of any length: a short tail is padded with spaces as DecryptFile does.

#include <openssl/evp.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/blowfish.h"
#include "engine/blowfish_blocks.h"
#include "engine/byte_order.h"
#include "engine/key_text.h"
#include "engine/md5.h"
#include "fuzz/require.h"
#include "tests/support/block_reference.h"

namespace {

constexpr BlowfishPath kPaths[] = {BlowfishPath::Portable, BlowfishPath::Avx2,
                                   BlowfishPath::Avx512};

std::string_view AsText(const uint8_t* bytes, size_t size) {
  return {reinterpret_cast<const char*>(bytes), size};
}

bool IsLowercaseHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// The key text from OpenSSL's MD5, an implementation independent of ours.
KeyText ReferenceKeyText(const uint8_t* password, size_t size) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestSize = 0;
  FUZZ_REQUIRE(EVP_Digest(password, size, digest, &digestSize, EVP_md5(), nullptr) == 1);
  FUZZ_REQUIRE(digestSize == 16);
  static constexpr char kHex[] = "0123456789abcdef";
  KeyText keyText;
  for (size_t i = 0; i < 16; ++i) {
    keyText[2 * i] = kHex[digest[i] >> 4];
    keyText[2 * i + 1] = kHex[digest[i] & 0xF];
  }
  return keyText;
}

// Our MD5 fed a first piece of a length the input picks, an empty piece with a null pointer,
// then the rest byte by byte: its buffer is left at every fill level on the way, and the
// digest must still be the one-shot one.
KeyText PiecewiseKeyText(const uint8_t* password, size_t size) {
  const size_t split = size == 0 ? 0 : password[0] % (size + 1);
  MD5_CTX context;
  MD5Init(context);
  MD5Update(context, password, static_cast<uint32_t>(split));
  MD5Update(context, nullptr, 0);
  for (size_t i = split; i < size; ++i) MD5Update(context, password + i, 1);
  uint8_t buffer[33];
  MD5Final(buffer, context);
  DigestToHexText(buffer);
  FUZZ_REQUIRE(buffer[32] == '\0');
  KeyText keyText;
  std::memcpy(keyText.data(), buffer, keyText.size());
  return keyText;
}

void CheckKeyText(const uint8_t* password, size_t size) {
  const KeyText keyText = MakeKeyText(AsText(password, size));
  FUZZ_REQUIRE(std::all_of(keyText.begin(), keyText.end(), IsLowercaseHex));
  FUZZ_REQUIRE(keyText == ReferenceKeyText(password, size));
  FUZZ_REQUIRE(keyText == PiecewiseKeyText(password, size));

  // DigestText stops at a NUL; without one it must agree with the length-counted digest.
  if (std::memchr(password, 0, size) == nullptr) {
    std::vector<char> text(password, password + size);
    text.push_back('\0');
    uint8_t buffer[33];
    DigestText(text.data(), buffer);
    DigestToHexText(buffer);
    FUZZ_REQUIRE(std::memcmp(buffer, keyText.data(), keyText.size()) == 0);
  }
}

// The ciphertext padded to whole blocks, placed `offset` bytes into an allocation of exactly
// the size needed, so AddressSanitizer sees any access past the last block.
struct Blocks {
  std::vector<uint8_t> storage;
  size_t offset;

  uint8_t* data() { return storage.data() + offset; }
  size_t size() const { return storage.size() - offset; }
  size_t count() const { return size() / 8; }
};

Blocks PaddedBlocks(const uint8_t* ciphertext, size_t size, size_t offset) {
  const size_t padded = (size + 7) / 8 * 8;
  Blocks blocks{std::vector<uint8_t>(offset + padded, uint8_t{0x20}), offset};
  if (size > 0) std::memcpy(blocks.data(), ciphertext, size);
  return blocks;
}

void CheckDecryption(const BlowfishContext& context, const uint8_t* ciphertext, size_t size,
                     size_t offset) {
  const Blocks original = PaddedBlocks(ciphertext, size, offset);
  Blocks expected = original;
  DecryptOneByOne(context, expected.data(), expected.count());

  for (BlowfishPath path : kPaths) {
    if (!BlowfishPathAvailable(path)) continue;
    Blocks actual = original;
    BlowfishDecryptBlocksWith(path, context, actual.data(), actual.count());
    FUZZ_REQUIRE(actual.storage == expected.storage);
  }
  Blocks dispatched = original;
  BlowfishDecryptBlocks(context, dispatched.data(), dispatched.count());
  FUZZ_REQUIRE(dispatched.storage == expected.storage);

  // Decryption must be the inverse of the one-block encryption, block for block.
  for (size_t i = 0; i < expected.count(); ++i) {
    uint8_t* block = expected.data() + 8 * i;
    uint32_t left = load32_le(block);
    uint32_t right = load32_le(block + 4);
    BlowfishEncryptBlock(context, left, right);
    store32_le(block, left);
    store32_le(block + 4, right);
  }
  FUZZ_REQUIRE(expected.storage == original.storage);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t passwordLength = std::min<size_t>(data[0], size - 1);
  const uint8_t* password = data + 1;
  const uint8_t* ciphertext = password + passwordLength;
  const size_t ciphertextLength = size - 1 - passwordLength;

  CheckKeyText(password, passwordLength);

  BlowfishContext context;
  KeyFromPassword(AsText(password, passwordLength), context);
  // The misalignment follows the password length, so it varies without a header byte of its own.
  CheckDecryption(context, ciphertext, ciphertextLength, passwordLength % 8);
  return 0;
}
