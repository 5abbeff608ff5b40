// make-sample-log OUTPUT_PATH PASSWORD [SIZE]
// Writes an encrypted log file of SIZE bytes (default 4096) that decrypts under PASSWORD to
// CSV lines, for trying the decoder out by hand. The password is converted to code page 932
// bytes as the decoder converts its own, so a Japanese password typed on Linux matches.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/text_encoding.h"
#include "tests/support/log_fixture.h"

namespace {

constexpr size_t kDefaultSize = 4096;
constexpr size_t kMaxSize = size_t{1} << 30;
constexpr uint32_t kSeed = 20261208;

bool ParseSize(const char* text, size_t& size) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || value == 0 || value > kMaxSize) return false;
  size = static_cast<size_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t size = kDefaultSize;
  if ((argc != 3 && argc != 4) || (argc == 4 && !ParseSize(argv[3], size))) {
    std::fprintf(stderr, "usage: make-sample-log OUTPUT_PATH PASSWORD [SIZE]\n"
                         "  SIZE: bytes of ciphertext, 1 to 1073741824 (default 4096)\n");
    return 1;
  }
  const platform::Cp932Text password = platform::UserTextToCp932(argv[2]);
  if (password.error != platform::TextError::None) {
    std::fprintf(stderr, "make-sample-log: the password cannot be written in code page 932\n");
    return 1;
  }
  try {
    WriteFileBytes(argv[1], MakeSampleLog(password.bytes, size, kSeed));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make-sample-log: %s\n", error.what());
    return 2;
  }
  return 0;
}
