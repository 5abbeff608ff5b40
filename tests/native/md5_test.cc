#include "engine/md5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include "tests/support/openssl_reference.h"
#endif

namespace {

std::string HexOfText(const char* text) {
  uint8_t buffer[33];
  DigestText(text, buffer);
  DigestToHexText(buffer);
  return std::string(reinterpret_cast<const char*>(buffer));
}

std::string HexOfDigest(const uint8_t digest[16]) {
  std::string hex;
  char pair[3];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

std::string HexOfBytes(const std::vector<uint8_t>& bytes) {
  MD5_CTX context;
  MD5Init(context);
  MD5Update(context, bytes.data(), static_cast<uint32_t>(bytes.size()));
  uint8_t digest[16];
  MD5Final(digest, context);
  return HexOfDigest(digest);
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t count) {
  std::vector<uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

struct DigestVector {
  const char* text;
  const char* hex;
};

// RFC 1321, appendix A.5.
constexpr DigestVector kRfc1321Suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(MD5, Rfc1321Suite) {
  for (const DigestVector& vector : kRfc1321Suite) {
    EXPECT_EQ(HexOfText(vector.text), vector.hex) << '"' << vector.text << '"';
  }
}

TEST(MD5, MillionLettersA) {
  // The long-message vector that accompanies RFC 1321's suite in later test collections.
  const std::vector<uint8_t> input(1000000, 'a');
  EXPECT_EQ(HexOfBytes(input), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(MD5, IncrementalEqualsOneShotAtEverySplit) {
  std::mt19937 random(1);
  const std::vector<uint8_t> input = RandomBytes(random, 203);
  const std::string oneShot = HexOfBytes(input);
  const auto size = static_cast<uint32_t>(input.size());
  for (uint32_t split = 0; split <= size; ++split) {
    MD5_CTX context;
    MD5Init(context);
    MD5Update(context, input.data(), split);
    MD5Update(context, input.data() + split, size - split);
    uint8_t digest[16];
    MD5Final(digest, context);
    EXPECT_EQ(HexOfDigest(digest), oneShot) << "split at " << split;
  }
}

TEST(MD5, ByteAtATimeEqualsOneShot) {
  std::mt19937 random(2);
  const std::vector<uint8_t> input = RandomBytes(random, 200);
  MD5_CTX context;
  MD5Init(context);
  for (uint8_t byte : input) MD5Update(context, &byte, 1);
  MD5Update(context, nullptr, 0);
  uint8_t digest[16];
  MD5Final(digest, context);
  EXPECT_EQ(HexOfDigest(digest), HexOfBytes(input));
}

TEST(MD5, FinalClearsTheContext) {
  MD5_CTX context;
  MD5Init(context);
  const uint8_t input[] = "some secret password";
  MD5Update(context, input, sizeof input - 1);
  uint8_t digest[16];
  MD5Final(digest, context);
  MD5_CTX zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(0, std::memcmp(&context, &zero, sizeof zero));
}

TEST(MD5, BitCountCarriesIntoHighWord) {
  MD5_CTX context;
  MD5Init(context);
  // As if 2^29 - 1 bytes had been absorbed: the low word is one byte short of wrapping.
  context.count[0] = 0xFFFFFFF8u;
  const uint8_t byte = 0;
  MD5Update(context, &byte, 1);
  EXPECT_EQ(context.count[0], 0u);
  EXPECT_EQ(context.count[1], 1u);
  MD5Update(context, &byte, 1);
  EXPECT_EQ(context.count[0], 8u);
  EXPECT_EQ(context.count[1], 1u);
}

TEST(DigestToHexText, LowercaseWithLeadingZerosForEveryByteValue) {
  for (int first = 0; first < 256; first += 16) {
    uint8_t buffer[40];
    std::memset(buffer, 0xEE, sizeof buffer);
    uint8_t digest[16];
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(first + i);
    std::memcpy(buffer, digest, 16);
    DigestToHexText(buffer);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer)), HexOfDigest(digest));
    EXPECT_EQ(buffer[32], 0);
    for (size_t i = 33; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xEE) << "byte " << i;
  }
}

TEST(DigestToHexText, SmallBytesKeepTheirZeroDigit) {
  uint8_t buffer[33] = {0x00, 0x01, 0x0A, 0x0F, 0x10, 0xAB, 0xFF, 0x09,
                        0x90, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F};
  DigestToHexText(buffer);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer), "00010a0f10abff09900000000000007f");
}

TEST(DigestText, StopsAtTheNul) {
  const char text[] = "abc\0def";
  EXPECT_EQ(HexOfText(text), "900150983cd24fb0d6963f7d28e17f72");
}

#ifndef _WIN32

TEST(MD5AgainstOpenSsl, EveryLengthAroundTheBlockAndPaddingBoundaries) {
  std::mt19937 random(3);
  for (size_t length = 0; length <= 300; ++length) {
    const std::vector<uint8_t> input = RandomBytes(random, length);
    const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
    EXPECT_EQ(HexOfBytes(input), OpenSslMd5Hex(bytes)) << "length " << length;
  }
}

#endif  // _WIN32

}  // namespace
