// Real disk faults on Linux: a full file system, a file size limit and a read-only file
// system. Mounting needs root (as in CI); without it these tests are skipped.

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "dialog/dialog_texts.h"
#include "dialog/policy/decode_file.h"
#include "engine/decrypt_file.h"
#include "engine/key_text.h"
#include "tests/support/log_fixture.h"
#include "tests/support/recording_host.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kPassword[] = "pw";

// A small tmpfs on a folder of its own, unmounted when the test ends.
class TmpfsMount {
 public:
  explicit TmpfsMount(const std::string& size) {
    const std::string options = "size=" + size;
    mounted_ = mount("tmpfs", folder_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;
  ~TmpfsMount() {
    if (mounted_) umount2(folder_.path().c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  bool MakeReadOnly() {
    return mount(nullptr, folder_.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  const TempFolder& folder() const { return folder_; }

 private:
  TempFolder folder_;
  bool mounted_ = false;
};

BlowfishContext Key() {
  BlowfishContext context;
  KeyFromPassword(kPassword, context);
  return context;
}

TEST(FilePosix, FullDiskFailsTheFileRemovesThePartialOutputAndKeepsTheInput) {
  TmpfsMount disk("64k");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  TempFolder logs;
  const std::string input = logs / "LOG1.$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 300 * 1024, 1);
  WriteFileBytes(input, cipher);

  const DecryptResult result = DecryptLogFile(Key(), input, disk.folder() / "LOG1.CSV", {});
  EXPECT_EQ(result.status, DecryptStatus::OutputUnwritable);
  EXPECT_EQ(result.error, static_cast<platform::SystemError>(ENOSPC));
  EXPECT_TRUE(disk.folder().Names().empty());
  EXPECT_EQ(ReadFileBytes(input), cipher);

  RecordingHost host;
  host.password = kPassword;
  host.outputFolder = disk.folder().path();
  DecodeFile(host, input);
  EXPECT_EQ(host.events, (std::vector<std::string>{
                             "say:" + std::string(kDecodeFailedText) + "|" + kMessageTitle,
                             "stop", "pause:1000", "close"}));
  EXPECT_TRUE(disk.folder().Names().empty());
  EXPECT_EQ(ReadFileBytes(input), cipher);
}

TEST(FilePosix, FileSizeLimitIsAWriteFailureNotADeath) {
  TempFolder folder;
  const std::string input = folder / "LOG1.$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 600 * 1024, 2);
  WriteFileBytes(input, cipher);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // As `ulimit -f` does; the decoder ignores SIGXFSZ so the write fails with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100 * 1024, 100 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const DecryptResult result = DecryptLogFile(Key(), input, folder / "LOG1.CSV", {});
    _exit(result.status == DecryptStatus::OutputUnwritable && result.error == EFBIG ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(input), cipher);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"LOG1.$S$"});
}

TEST(FilePosix, InputOnAReadOnlyFileSystemIsDecryptedAndKept) {
  TmpfsMount disk("1m");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const std::string input = disk.folder() / "LOG1.$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 1000, 3);
  WriteFileBytes(input, cipher);
  ASSERT_TRUE(disk.MakeReadOnly());

  TempFolder out;
  const DecryptResult result = DecryptLogFile(Key(), input, out / "LOG1.CSV", {});
  EXPECT_EQ(result.status, DecryptStatus::Done);
  EXPECT_TRUE(result.inputDeleteFailed);
  EXPECT_EQ(result.deleteError, static_cast<platform::SystemError>(EROFS));
  EXPECT_EQ(ReadFileBytes(input), cipher);
  EXPECT_EQ(ReadFileBytes(out / "LOG1.CSV"), ReferenceDecrypt(kPassword, cipher));
}

TEST(FilePosix, ReadOnlyOutputFolderIsFailureD) {
  TmpfsMount disk("1m");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  ASSERT_TRUE(disk.MakeReadOnly());
  TempFolder logs;
  const std::string input = logs / "LOG1.$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 1000, 4);
  WriteFileBytes(input, cipher);
  const DecryptResult result = DecryptLogFile(Key(), input, disk.folder() / "LOG1.CSV", {});
  EXPECT_EQ(result.status, DecryptStatus::OutputUnwritable);
  EXPECT_EQ(result.error, static_cast<platform::SystemError>(EROFS));
  EXPECT_EQ(ReadFileBytes(input), cipher);
}

}  // namespace
