#pragma once
// The search text that typing builds up in a list: each typed character is added; the text
// starts afresh when 500 ms or more have passed since the previous key; Backspace removes
// the last whole character; a double-byte character arrives as two keys (lead byte, then
// trail byte) and is added as one.

#include <cstdint>
#include <string>

class TypeAheadText {
 public:
  // Takes one typed byte at time now (milliseconds, wrapping as GetTickCount does). Returns
  // true when the text is ready to be searched, false while a lead byte waits for its trail.
  bool Type(unsigned char key, std::uint32_t now);
  const std::string& Text() const { return text_; }

  static constexpr std::uint32_t kRestartAfterMs = 500;

 private:
  std::string text_;
  std::uint32_t previousKey_ = 0;
  bool typedBefore_ = false;
  char pendingLead_ = 0;
  bool leadPending_ = false;
};
