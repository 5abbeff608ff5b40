#include "cli/password.h"

#include "cli/messages.h"
#include "platform/secure_wipe.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/text_encoding.h"

namespace {

using platform::TextEncoding;

// A password on its way: code page 932 bytes, or why there are none.
struct Converted {
  platform::Cp932Text text;
  std::string error;
  bool interrupted = false;
  bool encodingChosen = false;  // --password-encoding could have read it otherwise

  ~Converted() { SecureWipe(text.bytes); }
};

void Fail(Converted& converted, std::string message) {
  converted.error = std::move(message);
  if (platform::InterruptRequested()) converted.interrupted = true;
}

void Convert(std::string& text, TextEncoding from, Converted& converted) {
  converted.text = platform::ToCp932(text, from);
  SecureWipe(text);
}

// The encoding the option names; none for auto.
std::optional<TextEncoding> NamedEncoding(PasswordEncoding option) {
  switch (option) {
    case PasswordEncoding::Utf8:
      return TextEncoding::Utf8;
    case PasswordEncoding::Cp932:
      return TextEncoding::Cp932;
    case PasswordEncoding::Auto:
      break;
  }
  return std::nullopt;
}

TextEncoding TypedEncoding(PasswordEncoding option) {
  return PasswordEncodingOfTyped(option, platform::UserEncodingIsUtf8(),
                                 platform::kTypedTextIsCharacters);
}

void ReadFromFile(const std::string& path, PasswordEncoding option, Converted& converted) {
  const bool standardInput = path == "-";
  auto read = standardInput ? platform::ReadStandardInputLine(kPasswordLineLimit)
                            : platform::ReadFirstLineOfFile(path, kPasswordLineLimit);
  if (!read) {
    Fail(converted, standardInput ? messages::PasswordInputUnreadable(read.error)
                                  : messages::PasswordFileUnreadable(path, read.error));
    return;
  }
  std::string& line = *read.value;
  // Notepad and PowerShell begin UTF-8 text with a byte-order mark, which is no part of what the
  // user typed. Taken as text it could never be a password: U+FEFF has no code in code page
  // 932, and EF BB is no character of code page 932 either.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string_view content = line;
  const bool byteOrderMark = content.starts_with(kByteOrderMark);
  if (byteOrderMark) content.remove_prefix(kByteOrderMark.size());
  // A cut line would give a wrong key without a word; refuse it instead.
  if (line.size() >= kPasswordLineLimit && line.back() != '\n') {
    Fail(converted, messages::PasswordLineTooLong(kPasswordLineLimit));
  } else if (content.empty()) {
    // An input with nothing in it is a mistake (a wrong file, a command that printed nothing),
    // not the empty password, which is an empty line.
    Fail(converted, standardInput ? messages::PasswordInputEmpty()
                                  : messages::PasswordFileEmpty(path));
  } else {
    std::string text(WithoutLineBreak(content));
    converted.encodingChosen = true;
    Convert(text, PasswordEncodingOfFile(option, byteOrderMark), converted);
  }
  SecureWipe(line);
}

void ReadFromTerminal(PasswordEncoding option, Converted& converted) {
  platform::PromptResult prompt = platform::ReadHiddenLine(messages::kPasswordPrompt);
  switch (prompt.status) {
    case platform::PromptStatus::Read:
      converted.encodingChosen = !platform::kTypedTextIsCharacters;
      Convert(prompt.line, TypedEncoding(option), converted);
      return;
    case platform::PromptStatus::NoTerminal:
      Fail(converted, messages::NoPasswordSource());
      return;
    case platform::PromptStatus::Interrupted:
      converted.interrupted = true;
      return;
    case platform::PromptStatus::Failed:
      Fail(converted, messages::PasswordTerminalFailed(prompt.error));
      return;
  }
}

}  // namespace

SecretBytes::SecretBytes(std::string& text) : bytes_(text.begin(), text.end()) { SecureWipe(text); }

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
  if (this != &other) {
    SecureWipe(bytes_.data(), bytes_.size());
    bytes_ = std::move(other.bytes_);
  }
  return *this;
}

SecretBytes::~SecretBytes() { SecureWipe(bytes_.data(), bytes_.size()); }

std::string_view WithoutLineBreak(std::string_view line) {
  const size_t end = line.find('\n');
  if (end == std::string_view::npos) return line;
  line = line.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

platform::TextEncoding PasswordEncodingOfFile(PasswordEncoding option, bool byteOrderMark) {
  if (const auto named = NamedEncoding(option)) return *named;
  return byteOrderMark ? TextEncoding::Utf8 : TextEncoding::Guess;
}

platform::TextEncoding PasswordEncodingOfTyped(PasswordEncoding option, bool userEncodingIsUtf8,
                                               bool typedAsCharacters) {
  if (typedAsCharacters) return TextEncoding::User;
  if (const auto named = NamedEncoding(option)) return *named;
  return userEncodingIsUtf8 ? TextEncoding::Guess : TextEncoding::User;
}

PasswordOutcome AcquirePassword(const std::optional<std::string>& passwordFile,
                                PasswordEncoding encoding) {
  Converted converted;
  if (passwordFile) {
    ReadFromFile(*passwordFile, encoding, converted);
  } else if (auto variable =
                 platform::TakeEnvironmentSecretAsCp932(kPasswordVariable, TypedEncoding(encoding))) {
    converted.text.bytes.swap(variable->bytes);
    converted.text.error = variable->error;
    converted.text.character = variable->character;
    converted.text.readAs = variable->readAs;
    converted.encodingChosen = !platform::kTypedTextIsCharacters;
  } else {
    ReadFromTerminal(encoding, converted);
  }

  PasswordOutcome outcome;
  outcome.interrupted = converted.interrupted;
  if (converted.interrupted) return outcome;
  if (!converted.error.empty()) {
    outcome.error = std::move(converted.error);
  } else if (converted.text.error != platform::TextError::None) {
    outcome.error = messages::PasswordConversionFailed(converted.text, converted.encodingChosen);
  } else {
    outcome.password.emplace(converted.text.bytes);
  }
  return outcome;
}
