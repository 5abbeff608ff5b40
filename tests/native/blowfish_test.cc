#include "engine/blowfish.h"
#include "tests/support/block_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
// The low-level BF_* interface is deprecated in OpenSSL 3 but is the independent reference
// whose key schedule can be compared word for word.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include "tests/support/openssl_reference.h"
#endif

namespace {

std::vector<uint8_t> FromHex(std::string_view hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

uint32_t BigEndianWord(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

// A block in the published (big-endian) packing turns into the log files' packing by
// reversing the bytes of each 4-byte half; the relation is its own inverse.
std::vector<uint8_t> ReverseHalves(std::vector<uint8_t> block) {
  for (size_t half = 0; half < block.size(); half += 4) {
    std::swap(block[half], block[half + 3]);
    std::swap(block[half + 1], block[half + 2]);
  }
  return block;
}

std::unique_ptr<BlowfishContext> Keyed(const std::vector<uint8_t>& key) {
  auto context = std::make_unique<BlowfishContext>();
  BlowfishSetKey(*context, key.data(), static_cast<int32_t>(key.size()));
  return context;
}

struct EcbVector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// Eric Young's test vectors as published by Bruce Schneier (vectors.txt, "ecb test data").
constexpr EcbVector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// The same source's "set_key test data": plaintext FEDCBA9876543210 under the first n bytes
// of F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677, n = 1..24.
constexpr const char* kSetKeyBytes = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
constexpr const char* kSetKeyPlain = "FEDCBA9876543210";
constexpr const char* kSetKeyCiphers[24] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
    "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
    "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
    "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
    "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

void ExpectPublishedVector(const std::vector<uint8_t>& key, std::string_view plainHex,
                           std::string_view cipherHex) {
  const auto context = Keyed(key);
  const std::vector<uint8_t> plain = FromHex(plainHex);
  const std::vector<uint8_t> cipher = FromHex(cipherHex);

  // Through the two-word interface the halves are the vector's big-endian words.
  uint32_t left = BigEndianWord(plain.data());
  uint32_t right = BigEndianWord(plain.data() + 4);
  BlowfishEncryptBlock(*context, left, right);
  EXPECT_EQ(left, BigEndianWord(cipher.data()));
  EXPECT_EQ(right, BigEndianWord(cipher.data() + 4));
  BlowfishDecryptBlock(*context, left, right);
  EXPECT_EQ(left, BigEndianWord(plain.data()));
  EXPECT_EQ(right, BigEndianWord(plain.data() + 4));

  // Through the byte interface each half's bytes appear reversed.
  std::vector<uint8_t> block = ReverseHalves(cipher);
  BlowfishDecryptBlocks(*context, block.data(), 1);
  EXPECT_EQ(block, ReverseHalves(plain));
}

// Fixed-point pi with 32-bit limbs: limb 0 the integer part, then the fraction, most
// significant limb first. Machin's formula pi = 16 atan(1/5) - 4 atan(1/239).
class FixedPoint {
 public:
  explicit FixedPoint(size_t fractionLimbs) : limbs_(fractionLimbs + 1, 0) {}

  static FixedPoint Reciprocal(uint32_t divisor, size_t fractionLimbs) {
    FixedPoint value(fractionLimbs);
    value.limbs_[0] = 1;
    value.DivideBy(divisor);
    return value;
  }

  void DivideBy(uint32_t divisor) {
    uint64_t remainder = 0;
    for (auto& limb : limbs_) {
      const uint64_t current = remainder << 32 | limb;
      limb = static_cast<uint32_t>(current / divisor);
      remainder = current % divisor;
    }
  }

  void MultiplyBy(uint32_t factor) {
    uint64_t carry = 0;
    for (size_t i = limbs_.size(); i-- > 0;) {
      const uint64_t current = static_cast<uint64_t>(limbs_[i]) * factor + carry;
      limbs_[i] = static_cast<uint32_t>(current);
      carry = current >> 32;
    }
  }

  void Add(const FixedPoint& other) {
    uint64_t carry = 0;
    for (size_t i = limbs_.size(); i-- > 0;) {
      const uint64_t sum = static_cast<uint64_t>(limbs_[i]) + other.limbs_[i] + carry;
      limbs_[i] = static_cast<uint32_t>(sum);
      carry = sum >> 32;
    }
  }

  void Subtract(const FixedPoint& other) {
    uint64_t borrow = 0;
    for (size_t i = limbs_.size(); i-- > 0;) {
      const uint64_t difference = static_cast<uint64_t>(limbs_[i]) - other.limbs_[i] - borrow;
      limbs_[i] = static_cast<uint32_t>(difference);
      borrow = difference >> 63;
    }
  }

  bool IsZero() const {
    for (uint32_t limb : limbs_) {
      if (limb != 0) return false;
    }
    return true;
  }

  uint32_t Limb(size_t index) const { return limbs_[index]; }

 private:
  std::vector<uint32_t> limbs_;
};

FixedPoint ArcTanOfReciprocal(uint32_t x, size_t fractionLimbs) {
  FixedPoint sum(fractionLimbs);
  FixedPoint power = FixedPoint::Reciprocal(x, fractionLimbs);
  for (uint32_t k = 0; !power.IsZero(); ++k) {
    FixedPoint term = power;
    term.DivideBy(2 * k + 1);
    if (k % 2 == 0) {
      sum.Add(term);
    } else {
      sum.Subtract(term);
    }
    power.DivideBy(x * x);
  }
  return sum;
}

TEST(BlowfishTables, PublishedAnchors) {
  EXPECT_EQ(BlowfishInitialP[0], 0x243F6A88u);
  EXPECT_EQ(BlowfishInitialP[1], 0x85A308D3u);
  EXPECT_EQ(BlowfishInitialP[17], 0x8979FB1Bu);
  EXPECT_EQ(BlowfishInitialS[0], 0xD1310BA6u);
  EXPECT_EQ(BlowfishInitialS[3 * 256 + 255], 0x3AC372E6u);
}

TEST(BlowfishTables, AreTheHexadecimalDigitsOfPi) {
  constexpr size_t kWords = 18 + 4 * 256;
  constexpr size_t kGuardLimbs = 4;  // absorbs the truncation error of every series term
  FixedPoint pi = ArcTanOfReciprocal(5, kWords + kGuardLimbs);
  pi.MultiplyBy(4);
  pi.Subtract(ArcTanOfReciprocal(239, kWords + kGuardLimbs));
  pi.MultiplyBy(4);

  ASSERT_EQ(pi.Limb(0), 3u);
  for (size_t i = 0; i < 18; ++i) {
    EXPECT_EQ(BlowfishInitialP[i], pi.Limb(1 + i)) << "P[" << i << "]";
  }
  for (size_t i = 0; i < 4 * 256; ++i) {
    EXPECT_EQ(BlowfishInitialS[i], pi.Limb(1 + 18 + i)) << "S" << i / 256 << "[" << i % 256 << "]";
  }
}

TEST(Blowfish, PublishedEcbVectors) {
  for (const EcbVector& vector : kEcbVectors) {
    SCOPED_TRACE(testing::Message() << "key " << vector.key << " plain " << vector.plain);
    ExpectPublishedVector(FromHex(vector.key), vector.plain, vector.cipher);
  }
}

TEST(Blowfish, PublishedVariableLengthKeyVectors) {
  const std::vector<uint8_t> allKeyBytes = FromHex(kSetKeyBytes);
  for (size_t length = 1; length <= 24; ++length) {
    SCOPED_TRACE(testing::Message() << "key length " << length);
    const std::vector<uint8_t> key(allKeyBytes.begin(),
                                   allKeyBytes.begin() + static_cast<std::ptrdiff_t>(length));
    ExpectPublishedVector(key, kSetKeyPlain, kSetKeyCiphers[length - 1]);
  }
}

TEST(Blowfish, ZeroBlockGivesBigEndianWordsInLittleEndianBytes) {
  // Vector 1: all-zero key and plaintext, ciphertext 4EF997456198DD78. As words the result is
  // the big-endian reading; as bytes each half comes out reversed.
  const auto context = Keyed(std::vector<uint8_t>(8, 0));
  uint32_t left = 0, right = 0;
  BlowfishEncryptBlock(*context, left, right);
  EXPECT_EQ(left, 0x4EF99745u);
  EXPECT_EQ(right, 0x6198DD78u);

  uint8_t block[8] = {0x45, 0x97, 0xF9, 0x4E, 0x78, 0xDD, 0x98, 0x61};
  BlowfishDecryptBlocks(*context, block, 1);
  const uint8_t zeros[8] = {};
  EXPECT_EQ(0, std::memcmp(block, zeros, 8));
}

TEST(BlowfishRoundFunction, SelectsBoxesByByteAndCombinesAddXorAdd) {
  auto context = std::make_unique<BlowfishContext>();
  // With S0[i] = i << 24, S1[i] = i << 16, S2[i] = i << 8, S3[i] = i every step is carry-free
  // and F is the identity: each box must be indexed by its own byte of x.
  for (uint32_t i = 0; i < 256; ++i) {
    context->S0[i] = i << 24;
    context->S1[i] = i << 16;
    context->S2[i] = i << 8;
    context->S3[i] = i;
  }
  for (uint32_t x : {0x00000000u, 0x01020304u, 0xA1B2C3D4u, 0xFFFFFFFFu, 0x80000001u}) {
    EXPECT_EQ(BlowfishRoundFunction(*context, x), x) << std::hex << x;
  }

  // Constant boxes make the order of operations visible: ((a + b) ^ c) + d modulo 2^32.
  struct Case {
    uint32_t s0, s1, s2, s3, f;
  };
  const Case cases[] = {
      {0xFFFFFFFF, 0x00000002, 0x00000000, 0x00000000, 0x00000001},  // addition wraps
      {0x00000001, 0x00000001, 0x00000003, 0x00000000, 0x00000001},  // 2 ^ 3
      {0x00000001, 0x00000001, 0x00000003, 0x00000001, 0x00000002},  // (2 ^ 3) + 1
      {0x00000000, 0x00000000, 0x00000001, 0x00000001, 0x00000002},  // xor before last add
      {0x80000000, 0x80000000, 0xFFFFFFFF, 0x00000001, 0x00000000},
  };
  for (const Case& c : cases) {
    std::fill(std::begin(context->S0), std::end(context->S0), c.s0);
    std::fill(std::begin(context->S1), std::end(context->S1), c.s1);
    std::fill(std::begin(context->S2), std::end(context->S2), c.s2);
    std::fill(std::begin(context->S3), std::end(context->S3), c.s3);
    EXPECT_EQ(BlowfishRoundFunction(*context, 0x12345678u), c.f);
  }
}

TEST(Blowfish, DecryptInvertsEncrypt) {
  std::mt19937 random(1);
  for (int trial = 0; trial < 50; ++trial) {
    const auto context = Keyed(RandomBytes(random, 1 + random() % 56));
    for (int block = 0; block < 20; ++block) {
      const uint32_t left = static_cast<uint32_t>(random());
      const uint32_t right = static_cast<uint32_t>(random());
      uint32_t l = left, r = right;
      BlowfishEncryptBlock(*context, l, r);
      EXPECT_FALSE(l == left && r == right);
      BlowfishDecryptBlock(*context, l, r);
      EXPECT_EQ(l, left);
      EXPECT_EQ(r, right);
    }
  }
}

TEST(Blowfish, DecryptTwiceGivesSamePlaintext) {
  std::mt19937 random(2);
  const auto context = Keyed(RandomBytes(random, 32));
  const std::vector<uint8_t> cipher = RandomBytes(random, 64);
  std::vector<uint8_t> first = cipher, second = cipher;
  BlowfishDecryptBlocks(*context, first.data(), 8);
  BlowfishDecryptBlocks(*context, second.data(), 8);
  EXPECT_EQ(first, second);
  EXPECT_NE(first, cipher);
}

TEST(BlowfishDecryptBlocks, EqualsBlockByBlockForEveryCount) {
  std::mt19937 random(3);
  const auto context = Keyed(RandomBytes(random, 32));
  constexpr size_t kGuard = 16;
  for (size_t count = 0; count <= 40; ++count) {
    SCOPED_TRACE(testing::Message() << "block count " << count);
    const std::vector<uint8_t> original = RandomBytes(random, 8 * count + kGuard);
    std::vector<uint8_t> expected = original;
    DecryptOneByOne(*context, expected.data(), count);
    std::vector<uint8_t> actual = original;
    BlowfishDecryptBlocks(*context, actual.data(), count);
    // Bytes past the last block are guards: they must come back untouched.
    EXPECT_EQ(actual, expected);
  }
}

TEST(BlowfishDecryptBlocks, WorksAtAnyAlignment) {
  std::mt19937 random(4);
  const auto context = Keyed(RandomBytes(random, 32));
  const std::vector<uint8_t> cipher = RandomBytes(random, 8 * 13);
  std::vector<uint8_t> expected = cipher;
  DecryptOneByOne(*context, expected.data(), 13);
  for (size_t offset = 1; offset < 8; ++offset) {
    std::vector<uint8_t> buffer(offset + cipher.size());
    std::copy(cipher.begin(), cipher.end(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
    BlowfishDecryptBlocks(*context, buffer.data() + offset, 13);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                           buffer.begin() + static_cast<std::ptrdiff_t>(offset)))
        << "offset " << offset;
  }
}

TEST(BlowfishSetKey, OnlyTheCyclicKeyStreamMatters) {
  // The P words take 72 key bytes cycled from the key: any key equals the 72 bytes it cycles
  // into, and bytes past the 72nd are never used.
  std::mt19937 random(5);
  for (size_t length : {1u, 2u, 3u, 5u, 7u, 8u, 13u, 24u, 32u, 56u, 71u, 72u}) {
    SCOPED_TRACE(testing::Message() << "key length " << length);
    const std::vector<uint8_t> key = RandomBytes(random, length);
    std::vector<uint8_t> cycled(72);
    for (size_t i = 0; i < cycled.size(); ++i) cycled[i] = key[i % length];
    EXPECT_TRUE(SameContext(*Keyed(key), *Keyed(cycled)));

    std::vector<uint8_t> longer = cycled;
    for (int extra = 0; extra < 9; ++extra) longer.push_back(static_cast<uint8_t>(random()));
    EXPECT_TRUE(SameContext(*Keyed(longer), *Keyed(cycled)));
  }
}

TEST(BlowfishSetKey, KeyLengthOneRepeatsTheByteEverywhere) {
  for (int value : {0x00, 0x01, 0x5C, 0x80, 0xFF}) {
    const uint8_t byte = static_cast<uint8_t>(value);
    const auto single = Keyed({byte});
    EXPECT_TRUE(SameContext(*single, *Keyed({byte, byte})));
    EXPECT_TRUE(SameContext(*single, *Keyed({byte, byte, byte, byte})));
    EXPECT_TRUE(SameContext(*single, *Keyed(std::vector<uint8_t>(32, byte))));
  }
  EXPECT_FALSE(SameContext(*Keyed({0x61}), *Keyed({0x62})));
}

TEST(BlowfishSetKey, KeyLength32UsesEveryByte) {
  // P[0..15] take the 32 bytes twice and P[16], P[17] bytes 0..7 a third time, so changing
  // any single byte changes the schedule, and the key is not its own 16-byte prefix twice.
  std::mt19937 random(6);
  const std::vector<uint8_t> key = RandomBytes(random, 32);
  const auto reference = Keyed(key);
  for (size_t i = 0; i < key.size(); ++i) {
    std::vector<uint8_t> changed = key;
    changed[i] ^= 0x01;
    EXPECT_FALSE(SameContext(*reference, *Keyed(changed))) << "byte " << i;
  }
  std::vector<uint8_t> thirtyTwoThenEight(key);
  thirtyTwoThenEight.insert(thirtyTwoThenEight.end(), key.begin(), key.end());
  thirtyTwoThenEight.insert(thirtyTwoThenEight.end(), key.begin(), key.begin() + 8);
  EXPECT_TRUE(SameContext(*reference, *Keyed(thirtyTwoThenEight)));
}

TEST(BlowfishSetKey, SameKeyGivesIdenticalContextWhateverWasThereBefore) {
  std::mt19937 random(7);
  const std::vector<uint8_t> key = RandomBytes(random, 32);
  auto zeroed = std::make_unique<BlowfishContext>();
  std::memset(zeroed.get(), 0x00, sizeof(BlowfishContext));
  auto filled = std::make_unique<BlowfishContext>();
  std::memset(filled.get(), 0xFF, sizeof(BlowfishContext));
  auto previouslyKeyed = Keyed(RandomBytes(random, 32));

  for (BlowfishContext* context : {zeroed.get(), filled.get(), previouslyKeyed.get()}) {
    BlowfishSetKey(*context, key.data(), 32);
  }
  EXPECT_TRUE(SameContext(*zeroed, *filled));
  EXPECT_TRUE(SameContext(*zeroed, *previouslyKeyed));
}

TEST(Blowfish, BlockOperationsLeaveContextUnchanged) {
  std::mt19937 random(8);
  const auto context = Keyed(RandomBytes(random, 32));
  const BlowfishContext before = *context;
  uint32_t left = 1, right = 2;
  BlowfishEncryptBlock(*context, left, right);
  BlowfishDecryptBlock(*context, left, right);
  (void)BlowfishRoundFunction(*context, 0xDEADBEEF);
  std::vector<uint8_t> blocks = RandomBytes(random, 8 * 9);
  BlowfishDecryptBlocks(*context, blocks.data(), 9);
  EXPECT_TRUE(SameContext(before, *context));
}

TEST(Blowfish, WipeClearsEveryWord) {
  std::mt19937 random(9);
  auto context = Keyed(RandomBytes(random, 32));
  WipeBlowfishContext(*context);
  BlowfishContext zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_TRUE(SameContext(*context, zero));
}

#ifndef _WIN32

TEST(BlowfishAgainstOpenSsl, KeyScheduleMatchesWordForWord) {
  std::mt19937 random(10);
  for (int trial = 0; trial < 200; ++trial) {
    const std::vector<uint8_t> key = RandomBytes(random, 1 + random() % 72);
    BF_KEY reference;
    BF_set_key(&reference, static_cast<int>(key.size()), key.data());
    const auto context = Keyed(key);
    ASSERT_EQ(0, std::memcmp(context->P, reference.P, sizeof context->P)) << "trial " << trial;
    ASSERT_TRUE(SameBoxes(*context, reference)) << "trial " << trial;
  }
}

TEST(BlowfishAgainstOpenSsl, BlocksMatchThroughReversedHalves) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 50; ++trial) {
    const std::vector<uint8_t> key = RandomBytes(random, 1 + random() % 56);
    BF_KEY reference;
    BF_set_key(&reference, static_cast<int>(key.size()), key.data());
    const auto context = Keyed(key);

    // Words: ours and OpenSSL's agree on the two halves as numbers.
    for (int i = 0; i < 16; ++i) {
      BF_LONG data[2] = {static_cast<BF_LONG>(random()), static_cast<BF_LONG>(random())};
      uint32_t left = data[0], right = data[1];
      BF_decrypt(data, &reference);
      BlowfishDecryptBlock(*context, left, right);
      EXPECT_EQ(left, data[0]);
      EXPECT_EQ(right, data[1]);
      BF_encrypt(data, &reference);
      BlowfishEncryptBlock(*context, left, right);
      EXPECT_EQ(left, data[0]);
      EXPECT_EQ(right, data[1]);
    }

    // Bytes: OpenSSL's big-endian blocks, each half reversed, are the log files' blocks.
    const size_t count = 1 + random() % 20;
    const std::vector<uint8_t> cipher = RandomBytes(random, 8 * count);
    std::vector<uint8_t> ours = cipher;
    BlowfishDecryptBlocks(*context, ours.data(), count);
    for (size_t b = 0; b < count; ++b) {
      const std::vector<uint8_t> block(cipher.begin() + static_cast<std::ptrdiff_t>(8 * b),
                                       cipher.begin() + static_cast<std::ptrdiff_t>(8 * b + 8));
      const std::vector<uint8_t> bigEndian = ReverseHalves(block);
      std::vector<uint8_t> plain(8);
      BF_ecb_encrypt(bigEndian.data(), plain.data(), &reference, BF_DECRYPT);
      const std::vector<uint8_t> expected = ReverseHalves(plain);
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                             ours.begin() + static_cast<std::ptrdiff_t>(8 * b)))
          << "trial " << trial << " block " << b;
    }
  }
}

#endif  // _WIN32

}  // namespace
