#include "platform/command_line.h"

#include "platform/path_text.h"

namespace platform {
namespace {

constexpr char kQuote = '"';

bool IsBlankOrEnd(unsigned char c) { return c <= 32; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

  void SkipSeparators() {
    while (position_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[position_]);
      if (c >= 1 && c <= 32) {
        ++position_;
      } else if (c == kQuote && position_ + 1 < text_.size() && text_[position_ + 1] == kQuote) {
        position_ += 2;
      } else {
        break;
      }
    }
  }

  std::string NextItem() {
    std::string item;
    bool quoted = false;
    while (position_ < text_.size()) {
      const auto c = static_cast<unsigned char>(text_[position_]);
      if (c == kQuote) {
        quoted = !quoted;
        ++position_;
        continue;
      }
      if (!quoted && IsBlankOrEnd(c)) break;
      const std::size_t length = CharacterLength(text_, position_);
      item.append(text_, position_, length);
      position_ += length;
    }
    return item;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace

std::vector<std::string> CommandLineArguments(std::string_view commandLine) {
  Scanner scanner(commandLine);
  scanner.SkipSeparators();
  scanner.NextItem();  // the program's own path
  std::vector<std::string> arguments;
  for (;;) {
    scanner.SkipSeparators();
    std::string item = scanner.NextItem();
    if (item.empty()) return arguments;
    arguments.push_back(std::move(item));
  }
}

}  // namespace platform
