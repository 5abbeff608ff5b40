#pragma once
// The password of a batch, asked for once: the first line of the -p file ("-": standard
// input), after a UTF-8 byte-order mark if the file starts with one, and refused if the file
// has nothing else; else the environment variable VELLUNORA_PASSWORD, else a prompt on the
// terminal without echo. The text is converted from the user's encoding to code page 932
// bytes, the bytes the dialog digests, so the same password gives the same key everywhere.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Never throws for anything the user supplied.
PasswordOutcome AcquirePassword(const std::optional<std::string>& passwordFile);
