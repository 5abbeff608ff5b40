// The cipher and file figures of the benchmark without Google Benchmark, for the 32-bit
// Windows build under Wine, where that library is not at hand. Each figure is the best of a
// few runs, in MiB/s, one line each: "<name> <MiB/s>"; besides them "chosen_path <name>" and
// "path_choice_us <µs>".

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/blowfish.h"
#include "engine/blowfish_blocks.h"
#include "engine/decrypt_file.h"
#include "engine/key_text.h"
#include "platform/file.h"
#include "tests/support/block_reference.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr size_t kBufferBytes = size_t{64} << 20;
constexpr size_t kFileBytes = size_t{256} << 20;
constexpr char kPassword[] = "benchmark password";

// Best throughput of runs calls of work, each of bytes bytes; prepare runs untimed first.
double BestMiBPerSecond(int runs, size_t bytes, const std::function<void()>& work,
                        const std::function<void()>& prepare = [] {}) {
  double best = 0;
  for (int run = 0; run < runs; ++run) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    best = std::max(best, static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds.count());
  }
  return best;
}

void Print(const char* name, double value) { std::printf("%s %.1f\n", name, value); }

}  // namespace

int main() {
  BlowfishContext key;
  KeyFromPassword(kPassword, key);
  std::vector<uint8_t> ciphertext(kBufferBytes);
  std::mt19937 random(1);
  for (auto& byte : ciphertext) byte = static_cast<uint8_t>(random());
  std::vector<uint8_t> scratch(kBufferBytes);
  const auto fresh = [&] { std::memcpy(scratch.data(), ciphertext.data(), kBufferBytes); };

  Print("cipher_best", BestMiBPerSecond(5, kBufferBytes, [&] {
          fresh();
          BlowfishDecryptBlocks(key, scratch.data(), kBufferBytes / 8);
        }));
  std::printf("chosen_path %s\n", std::string(BlowfishPathName(BlowfishBestPath())).c_str());
  double choiceSeconds = 1;
  for (int run = 0; run < 20; ++run) {
    const auto start = std::chrono::steady_clock::now();
    MeasureFastestBlowfishPath();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    choiceSeconds = std::min(choiceSeconds, seconds.count());
  }
  std::printf("path_choice_us %.0f\n", choiceSeconds * 1e6);
  const struct {
    const char* name;
    BlowfishPath path;
  } paths[] = {{"cipher_portable", BlowfishPath::Portable},
               {"cipher_avx2", BlowfishPath::Avx2},
               {"cipher_avx512", BlowfishPath::Avx512}};
  for (const auto& path : paths) {
    if (!BlowfishPathAvailable(path.path)) continue;
    Print(path.name, BestMiBPerSecond(5, kBufferBytes, [&] {
            fresh();
            BlowfishDecryptBlocksWith(path.path, key, scratch.data(), kBufferBytes / 8);
          }));
  }
  Print("cipher_one_block_loop", BestMiBPerSecond(3, kBufferBytes, [&] {
          fresh();
          DecryptOneByOne(key, scratch.data(), kBufferBytes / 8);
        }));

  TempFolder folder;
  const std::string input = folder / "bench.$S$";
  const std::string output = folder / "bench.CSV";
  WriteFileBytes(input, MakeSampleLog(kPassword, kFileBytes, 1));
  for (const bool sync : {false, true}) {
    DecryptOptions options;
    options.deleteInput = false;
    options.syncToDisk = sync;
    bool failed = false;
    const double speed = BestMiBPerSecond(
        3, kFileBytes,
        [&] { failed |= DecryptLogFile(key, input, output, options).status != DecryptStatus::Done; },
        [&] { platform::DeleteFilePath(output); });
    if (failed) {
      std::fprintf(stderr, "the file decryption failed\n");
      return 1;
    }
    Print(sync ? "file_with_flush" : "file_no_sync", speed);
  }
  platform::DeleteFilePath(output);
  return 0;
}
