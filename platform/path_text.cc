#include "platform/path_text.h"

namespace platform {

std::size_t CharacterLength(std::string_view text, std::size_t index) {
  const bool pairFollows = index + 1 < text.size();
  return pairFollows && IsLeadByte(static_cast<unsigned char>(text[index])) ? 2 : 1;
}

std::size_t LastCharacterIndex(std::string_view text) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) last = i;
  return last;
}

std::size_t FindLastSeparator(std::string_view text, std::string_view separators) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i)) {
    if (separators.find(text[i]) != std::string_view::npos) found = i;
  }
  return found;
}

}  // namespace platform
