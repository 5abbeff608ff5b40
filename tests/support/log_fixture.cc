#include "tests/support/log_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "engine/blowfish.h"
#include "engine/byte_order.h"
#include "engine/key_text.h"

namespace {

// A deliberately different route from the engine's BlowfishDecryptBlocks: one block at a
// time through the two-word interface, so the two can be compared.
template <typename BlockOperation>
void ApplyToBlock(uint8_t* block, BlockOperation operation) {
  uint32_t left = load32_le(block);
  uint32_t right = load32_le(block + 4);
  operation(left, right);
  store32_le(block, left);
  store32_le(block + 4, right);
}

uint32_t Pick(std::mt19937& random, uint32_t count) {
  return static_cast<uint32_t>(random() % count);
}

const char* const kOperations[] = {
    "ログイン",     "ログアウト",   "ファイル参照", "ファイル保存",
    "印刷",         "設定変更",     "データ出力",   "パスワード変更",
};
const char* const kUsers[] = {
    "山田太郎", "佐藤花子", "鈴木一郎", "高橋美咲", "田中健", "admin",
};
const char* const kResults[] = {"成功", "成功", "成功", "失敗"};
// Several of these hold characters whose second byte in code page 932 is 0x5C ("表", "ソ").
const char* const kDetails[] = {
    "",
    "C:\\共有\\表計算\\売上集計.xls",
    "D:\\ソフト\\設定.ini",
    "\\\\SERVER01\\文書\\議事録.doc",
    "認証エラー",
    "プリンタ: 事務所A",
};

template <typename T, size_t N>
const T& PickFrom(std::mt19937& random, const T (&items)[N]) {
  return items[Pick(random, static_cast<uint32_t>(N))];
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

struct LogClock {
  int year = 2026, month = 12, day = 8;
  int secondOfDay = 10 * 3600;

  void Advance(int seconds) {
    secondOfDay += seconds;
    while (secondOfDay >= 86400) {
      secondOfDay -= 86400;
      if (++day > DaysInMonth(year, month)) {
        day = 1;
        if (++month > 12) {
          month = 1;
          ++year;
        }
      }
    }
  }

  std::string Text() const {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", year, month, day,
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
  }
};

std::string NextLine(LogClock& clock, std::mt19937& random) {
  char terminal[16];
  std::snprintf(terminal, sizeof terminal, "PC-%04u", static_cast<unsigned>(Pick(random, 40)));
  std::string line = clock.Text();
  for (const char* field : {PickFrom(random, kOperations), PickFrom(random, kUsers),
                            static_cast<const char*>(terminal), PickFrom(random, kResults),
                            PickFrom(random, kDetails)}) {
    line += ',';
    line += field;
  }
  line += "\r\n";
  clock.Advance(1 + static_cast<int>(Pick(random, 600)));
  return line;
}

// Readable plaintext of exactly `length` bytes (a multiple of 8, at least 8) starting with
// the magic: whole lines while they fit, then spaces, so no multibyte character is cut in two.
std::string SamplePlaintext(size_t length, std::mt19937& random) {
  std::string text = "Vellunora\r\n";
  if (text.size() > length) {
    text.resize(length);
    return text;
  }
  LogClock clock;
  clock.Advance(static_cast<int>(Pick(random, 3600)));
  std::string line = "日時,操作,利用者,端末,結果,詳細\r\n";
  while (text.size() + line.size() <= length) {
    text += line;
    line = NextLine(clock, random);
  }
  text.resize(length, ' ');
  return text;
}

}  // namespace

std::vector<uint8_t> EncryptLog(std::string_view password, std::span<const uint8_t> plaintext) {
  if (plaintext.size() % 8 != 0) {
    throw std::invalid_argument("EncryptLog: plaintext length " +
                                std::to_string(plaintext.size()) + " is not a multiple of 8");
  }
  BlowfishContext context;
  KeyFromPassword(password, context);
  std::vector<uint8_t> cipher(plaintext.begin(), plaintext.end());
  for (size_t offset = 0; offset < cipher.size(); offset += 8) {
    ApplyToBlock(cipher.data() + offset, [&](uint32_t& left, uint32_t& right) {
      BlowfishEncryptBlock(context, left, right);
    });
  }
  WipeBlowfishContext(context);
  return cipher;
}

std::vector<uint8_t> MakeSampleLog(std::string_view password, size_t cipherLength,
                                   uint32_t seed) {
  std::mt19937 random(seed);
  const size_t wholeLength = cipherLength / 8 * 8;
  std::vector<uint8_t> cipher;
  if (wholeLength > 0) {
    const std::string plaintext = SamplePlaintext(wholeLength, random);
    cipher = EncryptLog(password, std::span(reinterpret_cast<const uint8_t*>(plaintext.data()),
                                            plaintext.size()));
  }
  while (cipher.size() < cipherLength) cipher.push_back(static_cast<uint8_t>(Pick(random, 256)));
  return cipher;
}

std::vector<uint8_t> ReferenceDecrypt(std::string_view password,
                                      std::span<const uint8_t> ciphertext) {
  BlowfishContext context;
  KeyFromPassword(password, context);
  std::vector<uint8_t> plain;
  plain.reserve((ciphertext.size() + 7) / 8 * 8);
  for (size_t offset = 0; offset < ciphertext.size(); offset += 8) {
    uint8_t block[8];
    std::memset(block, 0x20, sizeof block);
    const size_t count = std::min<size_t>(8, ciphertext.size() - offset);
    std::memcpy(block, ciphertext.data() + offset, count);
    ApplyToBlock(block, [&](uint32_t& left, uint32_t& right) {
      BlowfishDecryptBlock(context, left, right);
    });
    plain.insert(plain.end(), std::begin(block), std::end(block));
  }
  WipeBlowfishContext(context);
  return plain;
}

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("cannot create " + path);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path);
  const std::istreambuf_iterator<char> begin(file);
  const std::istreambuf_iterator<char> end;
  std::vector<uint8_t> bytes(begin, end);
  if (file.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}
