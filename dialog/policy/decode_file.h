#pragma once
// The dialog's per-file routine: what the user sees and what the run is told for each
// outcome of a file. Everything it needs of the dialog goes through DecodeHost, so it is
// tested without a window, natively as well.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/decrypt_file.h"

enum class MessageButtons : unsigned { Ok = 0, OkCancel = 1 };
enum class MessageAnswer : int { Ok = 1, Cancel = 2 };

// How long the dialog waits after a box before it stops or closes.
inline constexpr unsigned kPauseMilliseconds = 1000;

class DecodeHost {
 public:
  virtual ~DecodeHost() = default;
  // Edit10's current text: the password's bytes in the ANSI code page.
  virtual std::string PasswordText() const = 0;
  // Edit1's current text: the output folder.
  virtual std::string OutputFolderText() const = 0;
  virtual void SetStopFlag() = 0;
  virtual void SetDoneFlag() = 0;
  // A modal message box owned by the dialog, without icon.
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                    MessageButtons buttons) = 0;
  virtual void Pause(unsigned milliseconds) = 0;
  // The framework's close of the main form: the program ends once the running handler returns.
  virtual void CloseDialog() = 0;
  // While a file is decrypted, on the calling thread: the bytes done so far and the file's
  // size, after each buffer or every few hundredths of a second. The default does nothing.
  virtual void ReportProgress(uint64_t /*done*/, uint64_t /*total*/) {}
};

// Shows and does what the dialog does for a file that ended with status: the done flag; or
// the wrong-password box and the question whether to stop; or, for every other failure,
// the failure box, the stop flag, the pause and the close.
void ReportOutcome(DecodeHost& host, DecryptStatus status);

// Decrypts one file with the host's password into its output folder, replacing an output
// of the same name and deleting the input once the output is whole, then reports the
// outcome. Never raises.
void DecodeFile(DecodeHost& host, const std::string& path);
