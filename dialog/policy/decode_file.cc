#include "dialog/policy/decode_file.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "dialog/dialog_texts.h"
#include "engine/password_decrypt.h"

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

DecryptResult DecryptFor(DecodeHost& host, const std::string& path) {
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
  // The edits' texts need memory too; without it the file fails as one whose output cannot
  // be made, with its own message, never the framework's error box mid-batch.
  try {
    const std::string folder = host.OutputFolderText();
    std::string password = host.PasswordText();
    return DecryptWithPassword(password, folder, path, options);
  } catch (const std::exception&) {
    return DecryptResult{.status = DecryptStatus::OutputUnwritable};
  }
}

}  // namespace

void ReportOutcome(DecodeHost& host, DecryptStatus status) {
  if (status == DecryptStatus::Done) {
    // An input that could not be deleted (read-only) still counts: its output is whole.
    host.SetDoneFlag();
  } else if (status == DecryptStatus::WrongPassword) {
    ReportWrongPassword(host);
  } else {
    ReportHardFailure(host);
  }
}

void DecodeFile(DecodeHost& host, const std::string& path) {
  ReportOutcome(host, DecryptFor(host, path).status);
}
