// Decryption throughput, measured against OpenSSL's and Botan's Blowfish in the same run so
// the figures read as ratios rather than as absolute numbers of one machine.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <botan/block_cipher.h>
#include <openssl/blowfish.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/blowfish.h"
#include "engine/blowfish_blocks.h"
#include "engine/byte_order.h"
#include "engine/decrypt_file.h"
#include "engine/key_text.h"
#include "platform/file.h"
#include "tests/support/block_reference.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr size_t kBufferBytes = size_t{64} << 20;
constexpr size_t kBlockCount = kBufferBytes / 8;
constexpr char kPassword[] = "benchmark password";

struct Workload {
  BlowfishContext context;
  BF_KEY opensslKey;
  std::unique_ptr<Botan::BlockCipher> botan = Botan::BlockCipher::create_or_throw("Blowfish");
  std::vector<uint8_t> ciphertext;
  std::vector<uint8_t> scratch;

  Workload() : ciphertext(kBufferBytes), scratch(kBufferBytes) {
    KeyFromPassword(kPassword, context);
    const KeyText keyText = MakeKeyText(kPassword);
    BF_set_key(&opensslKey, static_cast<int>(keyText.size()),
               reinterpret_cast<const unsigned char*>(keyText.data()));
    botan->set_key(reinterpret_cast<const uint8_t*>(keyText.data()), keyText.size());
    std::mt19937 random(1);
    for (auto& byte : ciphertext) byte = static_cast<uint8_t>(random());
  }
};

Workload& SharedWorkload() {
  static Workload* workload = new Workload;
  return *workload;
}

// Every variant decrypts the same ciphertext afresh each iteration; the copy is part of the
// measured work for all of them alike. decrypt(workload, blocks) works in place.
template <typename Decrypt>
void DecryptFreshCopies(benchmark::State& state, Decrypt decrypt) {
  Workload& w = SharedWorkload();
  for (auto _ : state) {
    std::memcpy(w.scratch.data(), w.ciphertext.data(), kBufferBytes);
    decrypt(w, w.scratch.data());
    benchmark::DoNotOptimize(w.scratch.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(kBufferBytes));
}

void BM_DecryptBlocks(benchmark::State& state) {
  DecryptFreshCopies(state, [](Workload& w, uint8_t* blocks) {
    BlowfishDecryptBlocks(w.context, blocks, kBlockCount);
  });
  state.SetLabel(std::string(BlowfishPathName(BlowfishBestPath())));
}

// What choosing the path costs each process, once, before its first file.
void BM_MeasureFastestPath(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MeasureFastestBlowfishPath());
}

// Each path on its own, whatever BlowfishDecryptBlocks would pick.
void BM_DecryptBlocksWith(benchmark::State& state, BlowfishPath path) {
  if (!BlowfishPathAvailable(path)) {
    state.SkipWithError("path not available on this processor");
    return;
  }
  DecryptFreshCopies(state, [path](Workload& w, uint8_t* blocks) {
    BlowfishDecryptBlocksWith(path, w.context, blocks, kBlockCount);
  });
}

// The straightforward loop that BlowfishDecryptBlocks replaces.
void BM_DecryptBlockLoop(benchmark::State& state) {
  DecryptFreshCopies(state, [](Workload& w, uint8_t* blocks) {
    DecryptOneByOne(w.context, blocks, kBlockCount);
  });
}

// OpenSSL on the same bytes with the log files' packing; BF_decrypt works on the two halves
// as numbers, so the packing costs it the same loads and stores as the loop above.
void BM_OpenSslDecryptLoop(benchmark::State& state) {
  DecryptFreshCopies(state, [](Workload& w, uint8_t* blocks) {
    for (uint8_t* block = blocks; block != blocks + kBufferBytes; block += 8) {
      BF_LONG data[2] = {load32_le(block), load32_le(block + 4)};
      BF_decrypt(data, &w.opensslKey);
      store32_le(block, data[0]);
      store32_le(block + 4, data[1]);
    }
  });
}

// Botan 2 decrypts whole runs of blocks itself (four at a time). It packs each half
// big-endian, unlike the log files, which changes the bytes but not the work.
void BM_BotanDecryptN(benchmark::State& state) {
  DecryptFreshCopies(state, [](Workload& w, uint8_t* blocks) {
    w.botan->decrypt_n(blocks, blocks, kBlockCount);
  });
}

// The copy alone, to read the others' figures net of it.
void BM_CopyOnly(benchmark::State& state) {
  DecryptFreshCopies(state, [](Workload&, uint8_t*) {});
}

void BM_KeySchedule(benchmark::State& state) {
  BlowfishContext context;
  for (auto _ : state) {
    KeyFromPassword(kPassword, context);
    benchmark::DoNotOptimize(&context);
  }
}

BENCHMARK(BM_DecryptBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecryptBlocksWith, portable, BlowfishPath::Portable)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecryptBlocksWith, avx2, BlowfishPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecryptBlocksWith, avx512, BlowfishPath::Avx512)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecryptBlockLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSslDecryptLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BotanDecryptN)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeySchedule)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureFastestPath)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------------------
// Whole-file decryption through DecryptLogFile: reading, decrypting and writing a real file of
// the same size in the system's temporary folder. The flush to disk is left out: it measures
// the disk, not the program.
// ---------------------------------------------------------------------------------------

constexpr size_t kFileBytes = size_t{256} << 20;

struct FileWorkload {
  TempFolder folder;
  std::string inputPath = folder / "bench.$S$";
  std::string outputPath = folder / "bench.CSV";
  BlowfishContext context;

  FileWorkload() {
    WriteFileBytes(inputPath, MakeSampleLog(kPassword, kFileBytes, 1));
    KeyFromPassword(kPassword, context);
    // The input's own write-back would otherwise run during the first measurements.
    sync();
  }
};

void DecryptFileBenchmark(benchmark::State& state, bool syncToDisk) {
  // A static object rather than a leaked one: its destructor removes the files at exit.
  static FileWorkload workload;
  DecryptOptions options;
  options.deleteInput = false;
  options.syncToDisk = syncToDisk;
  for (auto _ : state) {
    // A new output each time, as in real use: replacing a file just written makes ext4
    // start writing the new one out at the rename, which is the disk, not the program.
    state.PauseTiming();
    std::remove(workload.outputPath.c_str());
    sync();  // nothing of the last run still on its way to the disk
    state.ResumeTiming();
    const DecryptResult result =
        DecryptLogFile(workload.context, workload.inputPath, workload.outputPath, options);
    if (result.status != DecryptStatus::Done || result.bytesWritten != kFileBytes) {
      state.SkipWithError("DecryptLogFile failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(kFileBytes));
}

void BM_DecryptFile(benchmark::State& state) { DecryptFileBenchmark(state, false); }
void BM_DecryptFileWithFlush(benchmark::State& state) { DecryptFileBenchmark(state, true); }

BENCHMARK(BM_DecryptFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecryptFileWithFlush)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The loop the engine's file path replaces: one 8-byte read and one 8-byte write per block.
// On a smaller file, since it is slow; throughput is what is compared.
void BM_NaiveFileLoop(benchmark::State& state) {
  constexpr size_t kNaiveBytes = size_t{4} << 20;
  TempFolder folder;
  const std::string inputPath = folder / "naive.$S$";
  const std::string outputPath = folder / "naive.CSV";
  WriteFileBytes(inputPath, MakeSampleLog(kPassword, kNaiveBytes, 1));
  BlowfishContext context;
  KeyFromPassword(kPassword, context);
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(outputPath.c_str());
    state.ResumeTiming();
    auto input = platform::File::OpenExclusiveForReading(inputPath);
    auto output = platform::File::CreateExclusiveNew(outputPath);
    if (!input || !output) {
      state.SkipWithError("cannot open the files");
      break;
    }
    uint8_t block[8];
    while (*input.value->Read(block).value == 8) {
      DecryptOneByOne(context, block, 1);
      if (output.value->WriteAll(block) != 0) {
        state.SkipWithError("write failed");
        break;
      }
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(kNaiveBytes));
}

BENCHMARK(BM_NaiveFileLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
