// The peer the whole decoder is measured against: what a careful programmer writes with
// OpenSSL in an afternoon. One thread, 1 MiB reads, BF_decrypt on every block, 1 MiB writes,
// no flush. Usage: openssl-file-decrypt PASSWORD INPUT OUTPUT.

#include <fcntl.h>
#include <openssl/blowfish.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The key text: the lowercase hexadecimal MD5 digest of the password's bytes.
std::string KeyText(const std::string& password) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(password.data(), password.size(), digest, &length, EVP_md5(), nullptr);
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    text += pair;
  }
  return text;
}

uint32_t Load(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void Store(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: openssl-file-decrypt PASSWORD INPUT OUTPUT\n");
    return 2;
  }
  const std::string key = KeyText(argv[1]);
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(key.data()));
  const int input = open(argv[2], O_RDONLY);
  const int output = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (input < 0 || output < 0) {
    std::perror("open");
    return 1;
  }
  std::vector<uint8_t> buffer(size_t{1} << 20);
  for (;;) {
    size_t filled = 0;
    while (filled < buffer.size()) {
      const ssize_t count = read(input, buffer.data() + filled, buffer.size() - filled);
      if (count < 0) {
        std::perror("read");
        return 1;
      }
      if (count == 0) break;
      filled += static_cast<size_t>(count);
    }
    if (filled == 0) break;
    // A short last block is padded with spaces and decrypted whole, as the decoder does.
    while (filled % 8 != 0) buffer[filled++] = ' ';
    for (size_t at = 0; at < filled; at += 8) {
      BF_LONG halves[2] = {Load(&buffer[at]), Load(&buffer[at + 4])};
      BF_decrypt(halves, &schedule);
      Store(&buffer[at], halves[0]);
      Store(&buffer[at + 4], halves[1]);
    }
    if (write(output, buffer.data(), filled) != static_cast<ssize_t>(filled)) {
      std::perror("write");
      return 1;
    }
    if (filled < buffer.size()) break;
  }
  close(input);
  return close(output) == 0 ? 0 : 1;
}
