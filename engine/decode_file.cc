#include "engine/decode_file.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "engine/decrypt_file.h"
#include "engine/key_text.h"
#include "engine/messages.h"
#include "engine/output_path.h"
#include "platform/secure_wipe.h"

namespace {

void ReportHardFailure(DecodeHost& host) {
  host.ShowMessage(kDecodeFailedText, kMessageTitle, MessageButtons::Ok);
  host.SetStopFlag();
  host.Pause(kPauseMilliseconds);
  host.CloseDialog();
}

void ReportWrongPassword(DecodeHost& host) {
  host.ShowMessage(kWrongPasswordText, kMessageTitle, MessageButtons::Ok);
  // OK in the question means: stop the batch here.
  if (host.ShowMessage(kAbortQuestionText, kMessageTitle, MessageButtons::OkCancel) ==
      MessageAnswer::Ok) {
    host.Pause(kPauseMilliseconds);
    host.SetStopFlag();
  }
}

}  // namespace

namespace {

DecryptResult DecryptFor(DecodeHost& host, const std::string& path) {
  std::string password = host.PasswordText();
  const PasswordKey key(password);
  SecureWipe(password);
  const std::string outputPath = OutputPathFor(host.OutputFolderText(), path);

  // The dialog always replaced an existing output without asking; the replacement now
  // happens only once the new output is whole.
  DecryptOptions options;
  options.replaceExisting = true;
  options.deleteInput = true;
  options.syncToDisk = true;
  // A large file goes faster on every core; the bytes are the same.
  options.workers = std::max(std::thread::hardware_concurrency(), 1u);
  options.progress = [&host](uint64_t done, uint64_t total) {
    host.ReportProgress(done, total);
    return true;
  };
  return DecryptLogFile(key.Context(), path, outputPath, options);
}

}  // namespace

void DecodeFile(DecodeHost& host, const std::string& path) {
  DecryptResult result;
  // The key and the paths need memory too; without it the file fails as one whose output
  // cannot be made, with its own message, never the framework's error box mid-batch.
  try {
    result = DecryptFor(host, path);
  } catch (const std::exception&) {
    result.status = DecryptStatus::OutputUnwritable;
  }

  switch (result.status) {
    case DecryptStatus::Done:
      // An input that could not be deleted (read-only) still counts: its output is whole.
      host.SetDoneFlag();
      return;
    case DecryptStatus::WrongPassword:
      ReportWrongPassword(host);
      return;
    case DecryptStatus::InputMissing:
    case DecryptStatus::NotRegularFile:
    case DecryptStatus::InputEmpty:
    case DecryptStatus::InputUnreadable:
    case DecryptStatus::OutputExists:
    case DecryptStatus::OutputUnwritable:
    case DecryptStatus::Interrupted:
      ReportHardFailure(host);
      return;
  }
}
