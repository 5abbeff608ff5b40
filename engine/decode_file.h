#pragma once
// The dialog's per-file routine. Everything it needs of the dialog goes through DecodeHost,
// so it is tested without a window.

#include <cstdint>
#include <string>
#include <string_view>

enum class MessageButtons : unsigned { Ok = 0, OkCancel = 1 };
enum class MessageAnswer : int { Ok = 1, Cancel = 2 };

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

// Decrypts one file for the dialog and reports every outcome itself: message boxes, the
// two run flags, the 1000 ms pause and the close after a hard failure.
void DecodeFile(DecodeHost& host, const std::string& path);
