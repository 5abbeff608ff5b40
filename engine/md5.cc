#include "engine/md5.h"

#include <cstddef>
#include <cstring>

#include "engine/byte_order.h"
#include "platform/secure_wipe.h"

namespace {

inline uint32_t RotateLeft(uint32_t x, int n) {
  return x << n | x >> (32 - n);
}

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return (x & z) | (y & ~z); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

template <uint32_t (*Fn)(uint32_t, uint32_t, uint32_t)>
inline void Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s,
                 uint32_t t) {
  a += Fn(b, c, d) + x + t;
  a = RotateLeft(a, s) + b;
}

constexpr uint8_t kPadding[64] = {0x80};

}  // namespace

void MD5Init(MD5_CTX& context) {
  context.count[0] = 0;
  context.count[1] = 0;
  context.state[0] = 0x67452301;
  context.state[1] = 0xEFCDAB89;
  context.state[2] = 0x98BADCFE;
  context.state[3] = 0x10325476;
}

void MD5Update(MD5_CTX& context, const uint8_t* input, uint32_t inputLength) {
  uint32_t index = (context.count[0] >> 3) & 0x3F;

  const uint32_t addedBits = inputLength << 3;
  context.count[0] += addedBits;
  if (context.count[0] < addedBits) ++context.count[1];
  context.count[1] += inputLength >> 29;

  const uint32_t partLength = 64 - index;
  uint32_t i = 0;
  if (inputLength >= partLength) {
    std::memcpy(&context.buffer[index], input, partLength);
    MD5Transform(context.state, context.buffer);
    for (i = partLength; inputLength - i >= 64; i += 64) MD5Transform(context.state, &input[i]);
    index = 0;
  }
  // An empty tail may come with a null input pointer, which memcpy must not be given.
  if (inputLength > i) std::memcpy(&context.buffer[index], &input[i], inputLength - i);
}

void MD5Final(uint8_t digest[16], MD5_CTX& context) {
  uint8_t bits[8];
  store32_le(bits, context.count[0]);
  store32_le(bits + 4, context.count[1]);

  const uint32_t index = (context.count[0] >> 3) & 0x3F;
  const uint32_t padLength = index < 56 ? 56 - index : 120 - index;
  MD5Update(context, kPadding, padLength);
  MD5Update(context, bits, 8);

  for (int i = 0; i < 4; ++i) store32_le(digest + 4 * i, context.state[i]);

  SecureWipe(&context, sizeof context);
}

void MD5Transform(uint32_t state[4], const uint8_t block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = load32_le(block + 4 * i);

  uint32_t a = state[0];
  uint32_t b = state[1];
  uint32_t c = state[2];
  uint32_t d = state[3];

  // Round 1
  Step<F>(a, b, c, d, x[0], 7, 0xD76AA478);
  Step<F>(d, a, b, c, x[1], 12, 0xE8C7B756);
  Step<F>(c, d, a, b, x[2], 17, 0x242070DB);
  Step<F>(b, c, d, a, x[3], 22, 0xC1BDCEEE);
  Step<F>(a, b, c, d, x[4], 7, 0xF57C0FAF);
  Step<F>(d, a, b, c, x[5], 12, 0x4787C62A);
  Step<F>(c, d, a, b, x[6], 17, 0xA8304613);
  Step<F>(b, c, d, a, x[7], 22, 0xFD469501);
  Step<F>(a, b, c, d, x[8], 7, 0x698098D8);
  Step<F>(d, a, b, c, x[9], 12, 0x8B44F7AF);
  Step<F>(c, d, a, b, x[10], 17, 0xFFFF5BB1);
  Step<F>(b, c, d, a, x[11], 22, 0x895CD7BE);
  Step<F>(a, b, c, d, x[12], 7, 0x6B901122);
  Step<F>(d, a, b, c, x[13], 12, 0xFD987193);
  Step<F>(c, d, a, b, x[14], 17, 0xA679438E);
  Step<F>(b, c, d, a, x[15], 22, 0x49B40821);

  // Round 2
  Step<G>(a, b, c, d, x[1], 5, 0xF61E2562);
  Step<G>(d, a, b, c, x[6], 9, 0xC040B340);
  Step<G>(c, d, a, b, x[11], 14, 0x265E5A51);
  Step<G>(b, c, d, a, x[0], 20, 0xE9B6C7AA);
  Step<G>(a, b, c, d, x[5], 5, 0xD62F105D);
  Step<G>(d, a, b, c, x[10], 9, 0x02441453);
  Step<G>(c, d, a, b, x[15], 14, 0xD8A1E681);
  Step<G>(b, c, d, a, x[4], 20, 0xE7D3FBC8);
  Step<G>(a, b, c, d, x[9], 5, 0x21E1CDE6);
  Step<G>(d, a, b, c, x[14], 9, 0xC33707D6);
  Step<G>(c, d, a, b, x[3], 14, 0xF4D50D87);
  Step<G>(b, c, d, a, x[8], 20, 0x455A14ED);
  Step<G>(a, b, c, d, x[13], 5, 0xA9E3E905);
  Step<G>(d, a, b, c, x[2], 9, 0xFCEFA3F8);
  Step<G>(c, d, a, b, x[7], 14, 0x676F02D9);
  Step<G>(b, c, d, a, x[12], 20, 0x8D2A4C8A);

  // Round 3
  Step<H>(a, b, c, d, x[5], 4, 0xFFFA3942);
  Step<H>(d, a, b, c, x[8], 11, 0x8771F681);
  Step<H>(c, d, a, b, x[11], 16, 0x6D9D6122);
  Step<H>(b, c, d, a, x[14], 23, 0xFDE5380C);
  Step<H>(a, b, c, d, x[1], 4, 0xA4BEEA44);
  Step<H>(d, a, b, c, x[4], 11, 0x4BDECFA9);
  Step<H>(c, d, a, b, x[7], 16, 0xF6BB4B60);
  Step<H>(b, c, d, a, x[10], 23, 0xBEBFBC70);
  Step<H>(a, b, c, d, x[13], 4, 0x289B7EC6);
  Step<H>(d, a, b, c, x[0], 11, 0xEAA127FA);
  Step<H>(c, d, a, b, x[3], 16, 0xD4EF3085);
  Step<H>(b, c, d, a, x[6], 23, 0x04881D05);
  Step<H>(a, b, c, d, x[9], 4, 0xD9D4D039);
  Step<H>(d, a, b, c, x[12], 11, 0xE6DB99E5);
  Step<H>(c, d, a, b, x[15], 16, 0x1FA27CF8);
  Step<H>(b, c, d, a, x[2], 23, 0xC4AC5665);

  // Round 4
  Step<I>(a, b, c, d, x[0], 6, 0xF4292244);
  Step<I>(d, a, b, c, x[7], 10, 0x432AFF97);
  Step<I>(c, d, a, b, x[14], 15, 0xAB9423A7);
  Step<I>(b, c, d, a, x[5], 21, 0xFC93A039);
  Step<I>(a, b, c, d, x[12], 6, 0x655B59C3);
  Step<I>(d, a, b, c, x[3], 10, 0x8F0CCC92);
  Step<I>(c, d, a, b, x[10], 15, 0xFFEFF47D);
  Step<I>(b, c, d, a, x[1], 21, 0x85845DD1);
  Step<I>(a, b, c, d, x[8], 6, 0x6FA87E4F);
  Step<I>(d, a, b, c, x[15], 10, 0xFE2CE6E0);
  Step<I>(c, d, a, b, x[6], 15, 0xA3014314);
  Step<I>(b, c, d, a, x[13], 21, 0x4E0811A1);
  Step<I>(a, b, c, d, x[4], 6, 0xF7537E82);
  Step<I>(d, a, b, c, x[11], 10, 0xBD3AF235);
  Step<I>(c, d, a, b, x[2], 15, 0x2AD7D2BB);
  Step<I>(b, c, d, a, x[9], 21, 0xEB86D391);

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;

  // The message words are password bytes when a key is being made.
  SecureWipe(x, sizeof x);
}

void DigestText(const char* text, uint8_t digest[16]) {
  MD5_CTX context;
  MD5Init(context);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  size_t remaining = std::strlen(text);
  // MD5Update takes a 32-bit length; a longer text is fed in pieces.
  while (remaining > 0) {
    const uint32_t piece = remaining > 0xFFFFFFC0u ? 0xFFFFFFC0u : static_cast<uint32_t>(remaining);
    MD5Update(context, bytes, piece);
    bytes += piece;
    remaining -= piece;
  }
  MD5Final(digest, context);
}

void DigestToHexText(uint8_t* buffer) {
  static constexpr char kDigits[] = "0123456789abcdef";
  // Every digest byte is read before the first character lands on top of it.
  uint8_t text[33];
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = static_cast<uint8_t>(kDigits[buffer[i] >> 4]);
    text[2 * i + 1] = static_cast<uint8_t>(kDigits[buffer[i] & 0x0F]);
  }
  text[32] = 0;
  std::memcpy(buffer, text, sizeof text);
  SecureWipe(text, sizeof text);
}
