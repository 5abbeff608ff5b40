#include "engine/key_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <string_view>

#include "engine/md5.h"
#include "tests/support/block_reference.h"

#ifndef _WIN32
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include "tests/support/openssl_reference.h"
#endif

namespace {

std::string ToString(const KeyText& keyText) { return std::string(keyText.begin(), keyText.end()); }

// The key text the way the original key preparation builds it: DigestText on a
// NUL-terminated copy, then DigestToHexText. Only meaningful for passwords without a NUL.
std::string KeyTextThroughDigestText(const std::string& password) {
  uint8_t buffer[128] = {};
  DigestText(password.c_str(), buffer);
  DigestToHexText(buffer);
  return std::string(reinterpret_cast<const char*>(buffer));
}

std::string RandomPassword(std::mt19937& random, size_t length) {
  std::string password(length, '\0');
  for (char& c : password) c = static_cast<char>(1 + random() % 255);
  return password;
}

bool AllZero(const unsigned char* bytes, size_t size) {
  return std::all_of(bytes, bytes + size, [](unsigned char byte) { return byte == 0; });
}

// What a key leaves behind in memory once it has done its work: nothing. The storage is
// read back after the destructor ran (or after the digest was taken).
TEST(SecretsInMemory, KeyScheduleAndDigestStateAreWipedAfterUse) {
  alignas(PasswordKey) unsigned char keyStorage[sizeof(PasswordKey)];
  auto* key = new (keyStorage) PasswordKey("secret password");
  EXPECT_FALSE(AllZero(keyStorage, sizeof keyStorage));
  key->~PasswordKey();
  EXPECT_TRUE(AllZero(keyStorage, sizeof keyStorage));

  alignas(MD5_CTX) unsigned char digestStorage[sizeof(MD5_CTX)];
  auto* context = new (digestStorage) MD5_CTX;
  MD5Init(*context);
  const std::string_view password = "secret password";
  MD5Update(*context, reinterpret_cast<const uint8_t*>(password.data()),
            static_cast<uint32_t>(password.size()));
  EXPECT_FALSE(AllZero(digestStorage, sizeof digestStorage));
  uint8_t digest[16];
  MD5Final(digest, *context);
  EXPECT_TRUE(AllZero(digestStorage, sizeof digestStorage));
}

TEST(MakeKeyText, EmptyPasswordGivesDigestOfEmptyMessage) {
  EXPECT_EQ(ToString(MakeKeyText("")), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(MakeKeyText, Rfc1321Suite) {
  struct Case {
    const char* password;
    const char* keyText;
  };
  const Case cases[] = {
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToString(MakeKeyText(c.password)), c.keyText) << c.password;
  }
}

TEST(MakeKeyText, AlwaysThirtyTwoLowercaseHexDigits) {
  std::mt19937 random(1);
  for (int trial = 0; trial < 500; ++trial) {
    const KeyText keyText = MakeKeyText(RandomPassword(random, random() % 40));
    for (char c : keyText) {
      EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << "character " << int{c};
    }
  }
}

TEST(MakeKeyText, LeadingAndTrailingSpacesChangeTheKey) {
  const std::string plain = ToString(MakeKeyText("secret"));
  for (const char* variant : {" secret", "secret ", " secret ", "secret  ", "SECRET"}) {
    const std::string keyText = ToString(MakeKeyText(variant));
    EXPECT_NE(keyText, plain) << '"' << variant << '"';
    EXPECT_EQ(keyText, KeyTextThroughDigestText(variant)) << '"' << variant << '"';
  }
}

TEST(MakeKeyText, DoubleByteCharacterContributesBothBytes) {
  // "ソ" in code page 932 is 83 5C: the trail byte is the code of a backslash.
  const std::string both = ToString(MakeKeyText("\x83\x5C"));
  EXPECT_NE(both, ToString(MakeKeyText("\x83")));
  EXPECT_NE(both, ToString(MakeKeyText("\x5C")));
  EXPECT_NE(both, ToString(MakeKeyText("\x5C\x83")));
  EXPECT_EQ(both, KeyTextThroughDigestText("\x83\x5C"));
  EXPECT_EQ(ToString(MakeKeyText("\x95\x5C\x83\x5C")),
            KeyTextThroughDigestText("\x95\x5C\x83\x5C"));
}

TEST(MakeKeyText, LongPasswordsAreDigestedWhole) {
  std::mt19937 random(2);
  for (size_t length : {24u, 31u, 32u, 55u, 56u, 64u, 1000u, 100000u}) {
    const std::string password = RandomPassword(random, length);
    const std::string keyText = ToString(MakeKeyText(password));
    EXPECT_EQ(keyText, KeyTextThroughDigestText(password)) << "length " << length;
    std::string shorter = password;
    shorter.pop_back();
    EXPECT_NE(keyText, ToString(MakeKeyText(shorter))) << "length " << length;
  }
}

TEST(MakeKeyText, EmbeddedNulIsPartOfThePassword) {
  const std::string_view withNul("ab\0cd", 5);
  EXPECT_NE(ToString(MakeKeyText(withNul)), ToString(MakeKeyText("ab")));
  EXPECT_NE(ToString(MakeKeyText(withNul)), ToString(MakeKeyText("abcd")));
}

TEST(KeyFromPassword, EqualsSetKeyWithTheKeyTextBytes) {
  std::mt19937 random(3);
  for (size_t length : {0u, 1u, 8u, 24u, 31u, 200u}) {
    const std::string password = RandomPassword(random, length);
    const KeyText keyText = MakeKeyText(password);
    auto expected = std::make_unique<BlowfishContext>();
    BlowfishSetKey(*expected, reinterpret_cast<const uint8_t*>(keyText.data()), 32);
    auto actual = std::make_unique<BlowfishContext>();
    std::memset(actual.get(), 0xA5, sizeof(BlowfishContext));
    KeyFromPassword(password, *actual);
    EXPECT_TRUE(SameContext(*expected, *actual)) << "length " << length;
  }
}

TEST(KeyFromPassword, SamePasswordGivesSameKeyEveryTime) {
  auto first = std::make_unique<BlowfishContext>();
  auto second = std::make_unique<BlowfishContext>();
  KeyFromPassword("パスワード", *first);
  KeyFromPassword("other", *second);
  KeyFromPassword("パスワード", *second);
  EXPECT_TRUE(SameContext(*first, *second));
}

#ifndef _WIN32

TEST(MakeKeyTextAgainstOpenSsl, AnyBytesAnyLength) {
  std::mt19937 random(4);
  for (size_t length : {0u, 1u, 2u, 24u, 31u, 32u, 63u, 64u, 65u, 1000u, 65537u}) {
    std::string password(length, '\0');
    for (char& c : password) c = static_cast<char>(random());  // NUL and 0x80-0xFF included
    EXPECT_EQ(ToString(MakeKeyText(password)), OpenSslMd5Hex(password)) << "length " << length;
  }
  const std::string_view sjis("\x83\x5C\x95\x5C \x82\xA0", 7);
  EXPECT_EQ(ToString(MakeKeyText(sjis)), OpenSslMd5Hex(sjis));
}

TEST(KeyFromPasswordAgainstOpenSsl, ScheduleEqualsBlowfishKeyedWithHexDigest) {
  for (const char* password : {"", "abc", "Vellunora", " pass word "}) {
    const std::string keyText = OpenSslMd5Hex(password);
    BF_KEY reference;
    BF_set_key(&reference, 32, reinterpret_cast<const unsigned char*>(keyText.data()));
    auto context = std::make_unique<BlowfishContext>();
    KeyFromPassword(password, *context);
    EXPECT_EQ(0, std::memcmp(context->P, reference.P, sizeof context->P)) << password;
    EXPECT_TRUE(SameBoxes(*context, reference)) << password;
  }
}

#endif  // _WIN32

}  // namespace
