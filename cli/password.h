#pragma once
// The password of a batch, asked for once: the first line of the -p file ("-": standard
// input), after a UTF-8 byte-order mark if the file starts with one, and refused if the file
// has nothing else; else the environment variable VELLUNORA_PASSWORD, else a prompt on the
// terminal without echo. The text is converted to code page 932 bytes, the bytes the dialog
// digests, so the same password gives the same key everywhere. What the text is read as
// follows --password-encoding (PasswordEncodingOfFile, PasswordEncodingOfTyped).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "platform/text_encoding.h"

inline constexpr char kPasswordVariable[] = "VELLUNORA_PASSWORD";

// Longest first line read from a password file or standard input.
inline constexpr size_t kPasswordLineLimit = 64 * 1024;

// Secret bytes, wiped when the object goes. Moves hand the buffer over without copying it.
class SecretBytes {
 public:
  SecretBytes() = default;
  // Takes text's bytes and wipes text.
  explicit SecretBytes(std::string& text);
  SecretBytes(SecretBytes&& other) noexcept = default;
  SecretBytes& operator=(SecretBytes&& other) noexcept;
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;
  ~SecretBytes();

  std::string_view view() const { return {bytes_.data(), bytes_.size()}; }

 private:
  std::vector<char> bytes_;
};

struct PasswordOutcome {
  std::optional<SecretBytes> password;  // code page 932 bytes
  std::string error;                    // the message, when there is no password
  bool interrupted = false;             // a signal ended the prompt or the read
};

// The line's text without its line break ("\n" or "\r\n"); text without one is whole.
std::string_view WithoutLineBreak(std::string_view line);

// What a password file's or standard input's bytes are read as: what option names; with auto,
// UTF-8 after a byte-order mark, else guessed. Such bytes may come from any editor on any system.
platform::TextEncoding PasswordEncodingOfFile(PasswordEncoding option, bool byteOrderMark);

// What a password typed at the prompt or set in VELLUNORA_PASSWORD is read as. Where it comes
// as characters (typedAsCharacters), nothing is to be chosen: the user's text encoding. Where
// it comes as bytes: what option names; with auto the user's text encoding, which the terminal
// and the shell use, or where that is UTF-8, a guess, so that a value filled from a code page
// 932 file is read as such (it is never valid UTF-8 beyond a few characters).
platform::TextEncoding PasswordEncodingOfTyped(PasswordEncoding option, bool userEncodingIsUtf8,
                                               bool typedAsCharacters);

// Never throws for anything the user supplied.
PasswordOutcome AcquirePassword(const std::optional<std::string>& passwordFile,
                                PasswordEncoding encoding = PasswordEncoding::Auto);
