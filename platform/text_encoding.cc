#include "platform/text_encoding.h"

namespace platform {
namespace {

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

unsigned char ByteAt(std::string_view text, size_t index) {
  return static_cast<unsigned char>(text[index]);
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const unsigned char lead = ByteAt(text, 0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  // The second byte's range is narrower after some leads: that is what rules out overlong
  // forms, surrogates and code points above U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (InRange(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (InRange(lead, 0xF0, 0xF4)) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || !InRange(ByteAt(text, 1), low, high)) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!InRange(ByteAt(text, i), 0x80, 0xBF)) return 0;
  }
  return length;
}

TextEncoding GuessedEncoding(std::string_view text) {
  bool beyondAscii = false;
  for (size_t index = 0; index < text.size();) {
    const size_t length = Utf8SequenceLength(text.substr(index));
    if (length == 0) return TextEncoding::Cp932;
    beyondAscii = beyondAscii || length > 1;
    index += length;
  }
  // Plain ASCII is the same bytes either way.
  return beyondAscii ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

}  // namespace platform
