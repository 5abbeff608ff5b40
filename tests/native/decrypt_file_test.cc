#include "engine/decrypt_file.h"

#include <gtest/gtest.h>

#include <algorithm>
// std::chrono::hours comes with <filesystem>: <chrono> itself holds a "µs" that the Windows
// build's code page 932 cannot encode.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/byte_order.h"
#include "engine/key_text.h"
#include "engine/output_path.h"
#include "engine/password_decrypt.h"
#include "platform/file.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kPassword[] = "secret";
// Larger than the engine's buffer, so a run crosses buffer boundaries.
constexpr size_t kLargeSize = 3 * 256 * 1024 + 13;

BlowfishContext KeyFor(std::string_view password) {
  BlowfishContext context;
  KeyFromPassword(password, context);
  return context;
}

struct Fixture {
  TempFolder folder;
  std::string input = folder / "LOG1.$S$";
  std::string output = folder / "LOG1.CSV";
  Bytes cipher;

  explicit Fixture(size_t size, uint32_t seed = 1) {
    cipher = MakeSampleLog(kPassword, size, seed);
    WriteFileBytes(input, cipher);
  }
  DecryptResult Run(const DecryptOptions& options = {}, std::string_view password = kPassword) {
    return DecryptLogFile(KeyFor(password), input, output, options);
  }
  bool InputIntact() const {
    return platform::QueryPathKind(input) == platform::PathKind::File &&
           ReadFileBytes(input) == cipher;
  }
};

TEST(DecryptLogFile, OutputIsTheBlockByBlockDecryptionForEveryLength) {
  for (size_t size : std::initializer_list<size_t>{8, 9, 15, 16, 17, 24, 4096 + 1, 256 * 1024 - 1,
                                                  256 * 1024, 256 * 1024 + 1, kLargeSize}) {
    Fixture f(size, static_cast<uint32_t>(size));
    const DecryptResult result = f.Run();
    ASSERT_EQ(result.status, DecryptStatus::Done) << size;
    const Bytes output = ReadFileBytes(f.output);
    EXPECT_EQ(output, ReferenceDecrypt(kPassword, f.cipher)) << size;
    EXPECT_EQ(output.size(), (size + 7) / 8 * 8) << size;
    EXPECT_EQ(result.bytesWritten, output.size());
    EXPECT_EQ(std::string(output.begin(), output.begin() + 8), "Vellunor");
    EXPECT_FALSE(result.inputDeleteFailed);
    // The input is gone and no temporary file is left behind.
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"LOG1.CSV"}) << size;
  }
}

TEST(DecryptLogFile, SeventeenBytesGiveThreeBlocksTheLastPaddedWithSpaces) {
  Fixture f(17);
  ASSERT_EQ(f.Run().status, DecryptStatus::Done);
  const Bytes output = ReadFileBytes(f.output);
  ASSERT_EQ(output.size(), 24u);
  Bytes lastBlock = {f.cipher[16], 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
  const Bytes expectedLast = ReferenceDecrypt(kPassword, lastBlock);
  EXPECT_TRUE(std::equal(expectedLast.begin(), expectedLast.end(), output.begin() + 16));
}

TEST(DecryptLogFile, InputOfOneToSevenBytesIsOneSpacePaddedBlockZero) {
  for (size_t size = 1; size <= 7; ++size) {
    TempFolder folder;
    const Bytes cipher(size, static_cast<uint8_t>(0xA0 + size));
    WriteFileBytes(folder / "LOG1.$S$", cipher);
    // A key under which the padded block reads "Vellunor": with its S-boxes zero the rounds
    // only exchange the halves, and P[0] and P[1] whiten them last.
    Bytes padded = cipher;
    padded.resize(8, 0x20);
    const auto* magic = reinterpret_cast<const uint8_t*>(kLogMagic);
    BlowfishContext key{};
    key.P[0] = load32_le(padded.data() + 4) ^ load32_le(magic);
    key.P[1] = load32_le(padded.data()) ^ load32_le(magic + 4);
    uint32_t left = load32_le(padded.data());
    uint32_t right = load32_le(padded.data() + 4);
    BlowfishDecryptBlock(key, left, right);
    ASSERT_EQ(left, load32_le(magic));
    ASSERT_EQ(right, load32_le(magic + 4));
    const DecryptResult result = DecryptLogFile(key, folder / "LOG1.$S$", folder / "LOG1.CSV", {});
    EXPECT_EQ(result.status, DecryptStatus::Done) << size;
    EXPECT_EQ(ReadFileBytes(folder / "LOG1.CSV"), Bytes(magic, magic + 8)) << size;
  }
}

TEST(DecryptLogFile, FailuresLeaveTheInputAndCreateNothing) {
  struct Case {
    const char* name;
    std::function<void(Fixture&)> arrange;
    DecryptStatus expected;
  };
  const Case cases[] = {
      {"missing input", [](Fixture& f) { platform::DeleteFilePath(f.input); },
       DecryptStatus::InputMissing},
      {"empty input", [](Fixture& f) { f.cipher.clear(); WriteFileBytes(f.input, f.cipher); },
       DecryptStatus::InputEmpty},
      {"input shorter than a block",
       [](Fixture& f) { f.cipher.resize(5); WriteFileBytes(f.input, f.cipher); },
       DecryptStatus::WrongPassword},
      {"output folder missing",
       [](Fixture& f) { f.output = f.folder / "no-such-folder" + NativeSeparator() + "LOG1.CSV"; },
       DecryptStatus::OutputUnwritable},
      {"output folder is a file",
       [](Fixture& f) { f.output = f.input + NativeSeparator() + "LOG1.CSV"; },
       DecryptStatus::OutputUnwritable},
      {"output is the input itself", [](Fixture& f) { f.output = f.input; },
       DecryptStatus::OutputUnwritable},
  };
  for (const Case& c : cases) {
    Fixture f(64);
    c.arrange(f);
    const auto before = f.folder.Names();
    EXPECT_EQ(f.Run().status, c.expected) << c.name;
    EXPECT_EQ(f.folder.Names(), before) << c.name;
    if (c.expected != DecryptStatus::InputMissing) {
      EXPECT_TRUE(f.InputIntact()) << c.name;
    }
  }
}

TEST(DecryptLogFile, DirectoryIsNotAnInput) {
  TempFolder folder;
  const std::string output = folder / "x.CSV";
  EXPECT_EQ(DecryptLogFile(KeyFor(kPassword), folder.path(), output, {}).status,
            DecryptStatus::InputMissing);
  EXPECT_TRUE(folder.Names().empty());
}

TEST(DecryptLogFile, WrongPasswordKeepsAnExistingOutputUntouched) {
  Fixture f(100);
  const Bytes previous = {'o', 'l', 'd'};
  WriteFileBytes(f.output, previous);
  EXPECT_EQ(f.Run({}, "wrong").status, DecryptStatus::WrongPassword);
  EXPECT_EQ(ReadFileBytes(f.output), previous);
  EXPECT_TRUE(f.InputIntact());
  EXPECT_EQ(f.folder.Names(), (std::vector<std::string>{"LOG1.$S$", "LOG1.CSV"}));
}

TEST(DecryptLogFile, ExistingOutputIsReplacedOnlyWhenAllowed) {
  const Bytes previous = {'o', 'l', 'd'};
  {
    Fixture f(100);
    WriteFileBytes(f.output, previous);
    DecryptOptions options;
    options.replaceExisting = false;
    EXPECT_EQ(f.Run(options).status, DecryptStatus::OutputExists);
    EXPECT_EQ(ReadFileBytes(f.output), previous);
    EXPECT_TRUE(f.InputIntact());
  }
  {
    Fixture f(100);
    WriteFileBytes(f.output, previous);
    EXPECT_EQ(f.Run().status, DecryptStatus::Done);
    EXPECT_EQ(ReadFileBytes(f.output), ReferenceDecrypt(kPassword, f.cipher));
  }
}

TEST(DecryptLogFile, KeepAndCheckModesNeverDeleteTheInput) {
  {
    Fixture f(40);
    DecryptOptions options;
    options.deleteInput = false;
    EXPECT_EQ(f.Run(options).status, DecryptStatus::Done);
    EXPECT_TRUE(f.InputIntact());
    EXPECT_EQ(ReadFileBytes(f.output), ReferenceDecrypt(kPassword, f.cipher));
  }
  {
    Fixture f(40);
    DecryptOptions options;
    options.mode = OutputMode::CheckPassword;
    EXPECT_EQ(f.Run(options).status, DecryptStatus::Done);
    EXPECT_EQ(f.Run(options, "wrong").status, DecryptStatus::WrongPassword);
    EXPECT_TRUE(f.InputIntact());
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"LOG1.$S$"});
  }
}

TEST(DecryptLogFile, InterruptionRemovesThePartialOutput) {
  Fixture f(kLargeSize);
  DecryptOptions options;
  int calls = 0;
  options.progress = [&](uint64_t done, uint64_t total) {
    EXPECT_LE(done, total);
    return ++calls < 2;
  };
  EXPECT_EQ(f.Run(options).status, DecryptStatus::Interrupted);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(f.InputIntact());
  EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"LOG1.$S$"});
}

TEST(DecryptLogFile, ProgressReachesTheInputSize) {
  Fixture f(kLargeSize);
  DecryptOptions options;
  uint64_t last = 0;
  options.progress = [&](uint64_t done, uint64_t total) {
    EXPECT_EQ(total, kLargeSize);
    EXPECT_GE(done, last);
    last = done;
    return true;
  };
  EXPECT_EQ(f.Run(options).status, DecryptStatus::Done);
  EXPECT_EQ(last, kLargeSize);
}

// Several workers must give exactly the bytes of one: every split, every tail length,
// files too small to split at all.
TEST(DecryptLogFile, SideBySideWorkersGiveTheSameBytesAsOne) {
  constexpr size_t kMiB = 1024 * 1024;
  const struct {
    size_t size;
    unsigned workers;
  } cases[] = {{kLargeSize, 2},       {2 * kMiB - 1, 2},     {2 * kMiB + 5, 2}, {4 * kMiB, 3},
               {5 * kMiB + 3, 4},     {3 * kMiB + 7, 8},     {256 * 1024, 2},   {17, 4}};
  for (const auto& c : cases) {
    Fixture f(c.size, static_cast<uint32_t>(c.size + c.workers));
    DecryptOptions options;
    options.workers = c.workers;
    uint64_t last = 0;
    options.progress = [&](uint64_t done, uint64_t total) {
      EXPECT_EQ(total, c.size);
      EXPECT_GE(done, last);
      last = done;
      return true;
    };
    const DecryptResult result = f.Run(options);
    ASSERT_EQ(result.status, DecryptStatus::Done) << c.size << " x" << c.workers;
    const Bytes output = ReadFileBytes(f.output);
    EXPECT_EQ(output, ReferenceDecrypt(kPassword, f.cipher)) << c.size << " x" << c.workers;
    EXPECT_EQ(result.bytesWritten, (c.size + 7) / 8 * 8);
    EXPECT_EQ(last, c.size);
    EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"LOG1.CSV"});
  }
}

TEST(DecryptLogFile, InterruptingSideBySideWorkersRemovesThePartialOutput) {
  Fixture f(6 * 1024 * 1024 + 1);
  DecryptOptions options;
  options.workers = 2;
  options.progress = [](uint64_t, uint64_t) { return false; };
  EXPECT_EQ(f.Run(options).status, DecryptStatus::Interrupted);
  EXPECT_TRUE(f.InputIntact());
  EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"LOG1.$S$"});
}

// Another program writes to the input during the run (nothing stops it on POSIX): it appends,
// or "cp" rewrites it in place to the same size. The output holds what was read; the input,
// which holds more or other bytes, must not be lost.
TEST(DecryptLogFile, InputWrittenToDuringTheRunIsKept) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the input is held without sharing, nobody can write to it";
#else
  constexpr size_t kSize = 6 * 1024 * 1024 + 3;
  struct Case {
    const char* what;
    unsigned workers;
    bool rewrite;  // else append
    bool readToo;  // the change comes before the last read and is decrypted as well
  };
  const Case cases[] = {
      {"one reader: the appended blocks are read and decrypted", 1, false, true},
      {"two workers: their ranges were fixed at the start", 2, false, false},
      {"one reader: block 0 rewritten after it was read", 1, true, false},
      {"two workers: block 0 rewritten after it was read", 2, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(kSize, 3);
    // A write in the same tick of the file system's clock as the file's creation would leave
    // its time as it was.
    std::filesystem::last_write_time(
        f.input, std::filesystem::last_write_time(f.input) - std::chrono::hours(1));
    // Whole blocks of the same key, so the changed file is still a log.
    const Bytes more = MakeSampleLog(kPassword, 4096, 4);
    Bytes changed = f.cipher;
    if (c.rewrite) {
      std::copy_n(more.begin(), 8, changed.begin());
    } else {
      changed.insert(changed.end(), more.begin(), more.end());
    }
    DecryptOptions options;
    options.workers = c.workers;
    bool written = false;
    options.progress = [&](uint64_t, uint64_t) {
      if (!written) {
        // In place, as another writer would: a truncation would cut the workers' reads short.
        std::fstream file(f.input, std::ios::binary | std::ios::in | std::ios::out |
                                       (c.rewrite ? std::ios::openmode{} : std::ios::app));
        const Bytes& bytes = c.rewrite ? changed : more;
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(c.rewrite ? 8 : bytes.size()));
      }
      written = true;
      return true;
    };
    const DecryptResult result = f.Run(options);
    ASSERT_EQ(result.status, DecryptStatus::Done);
    EXPECT_TRUE(result.inputChanged);
    EXPECT_EQ(ReadFileBytes(f.output), ReferenceDecrypt(kPassword, c.readToo ? changed : f.cipher));
    EXPECT_EQ(ReadFileBytes(f.input), changed);
  }
#endif
}

TEST(DecryptLogFile, InputHeldByAnotherOpenerIsUnreadable) {
  Fixture f(64);
  auto holder = platform::File::OpenExclusiveForReading(f.input);
  ASSERT_TRUE(holder);
  EXPECT_EQ(f.Run().status, DecryptStatus::InputUnreadable);
  holder.value->Close();
  EXPECT_TRUE(f.InputIntact());
  EXPECT_EQ(f.folder.Names(), std::vector<std::string>{"LOG1.$S$"});
}

TEST(DecryptLogFile, StreamModeWritesTheSameBytesAndKeepsTheInput) {
  Fixture f(kLargeSize);
  const std::string streamPath = f.folder / "stream.bin";
  {
    auto stream = platform::File::CreateExclusiveNew(streamPath);
    ASSERT_TRUE(stream);
    DecryptOptions options;
    options.mode = OutputMode::Stream;
    EXPECT_EQ(DecryptLogFile(KeyFor(kPassword), f.input, "", options, &*stream.value).status,
              DecryptStatus::Done);
  }
  EXPECT_EQ(ReadFileBytes(streamPath), ReferenceDecrypt(kPassword, f.cipher));
  EXPECT_TRUE(f.InputIntact());
}

TEST(DecryptWithPassword, WipesThePasswordWhateverTheOutcome) {
  for (const std::string typed : {kPassword, "wrong"}) {
    Fixture f(64);
    std::string password = typed;
    const DecryptResult result = DecryptWithPassword(password, f.folder.path(), f.input, {});
    EXPECT_EQ(result.status,
              typed == kPassword ? DecryptStatus::Done : DecryptStatus::WrongPassword);
    EXPECT_TRUE(password.empty()) << typed;
  }
}

TEST(DecryptFile, FileOfExactly4GiBIsNotEmpty) {
  // Sparse: the size is real but no disk space is used. Its low 32 bits are 0, which a
  // 32-bit size test would take for an empty file.
  TempFolder folder;
  const std::string input = folder / "BIG.$S$";
  WriteFileBytes(input, Bytes(8, 0));
  std::filesystem::resize_file(input, uint64_t{1} << 32);
  EXPECT_EQ(FindFileSize(input), uint64_t{1} << 32);
  // Zero bytes do not decrypt to the magic: the file gets as far as the password test.
  EXPECT_EQ(DecryptLogFile(KeyFor(kPassword), input, folder / "BIG.CSV", {}).status,
            DecryptStatus::WrongPassword);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"BIG.$S$"});
}

TEST(FindFileSize, GivesTheWholeSizeOrZero) {
  TempFolder folder;
  const std::string path = folder / "a.$S$";
  EXPECT_EQ(FindFileSize(path), 0u);
  WriteFileBytes(path, Bytes(1234, 7));
  EXPECT_EQ(FindFileSize(path), 1234u);
}

}  // namespace
