#include "cli/shown_name.h"

#include "platform/text_encoding.h"

namespace {

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

unsigned char ByteAt(std::string_view text, size_t index) {
  return static_cast<unsigned char>(text[index]);
}

// Length of the code page 932 character text starts with, else 0.
size_t Cp932Length(std::string_view text) {
  const unsigned char lead = ByteAt(text, 0);
  if (lead < 0x80 || InRange(lead, 0xA1, 0xDF)) return 1;
  if (!InRange(lead, 0x81, 0x9F) && !InRange(lead, 0xE0, 0xFC)) return 0;
  if (text.size() < 2) return 0;
  const unsigned char trail = ByteAt(text, 1);
  return InRange(trail, 0x40, 0x7E) || InRange(trail, 0x80, 0xFC) ? 2 : 0;
}

bool IsControl(std::string_view character, LineEncoding encoding) {
  const unsigned char first = ByteAt(character, 0);
  if (character.size() == 1) return first < 0x20 || first == 0x7F;
  return encoding == LineEncoding::Utf8 && first == 0xC2 && ByteAt(character, 1) <= 0x9F;
}

void AppendEscaped(std::string& shown, std::string_view bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    shown += "\\x";
    shown += kDigits[byte >> 4];
    shown += kDigits[byte & 0x0F];
  }
}

}  // namespace

std::string ShownName(std::string_view name, LineEncoding encoding) {
  std::string shown;
  shown.reserve(name.size());
  size_t index = 0;
  while (index < name.size()) {
    const std::string_view rest = name.substr(index);
    const size_t length =
        encoding == LineEncoding::Utf8 ? platform::Utf8SequenceLength(rest) : Cp932Length(rest);
    if (length == 0) {
      // Only the first byte: the next one may begin a character of its own.
      AppendEscaped(shown, rest.substr(0, 1));
      ++index;
      continue;
    }
    const std::string_view character = rest.substr(0, length);
    if (IsControl(character, encoding)) {
      AppendEscaped(shown, character);
    } else {
      shown += character;
    }
    index += length;
  }
  return shown;
}
