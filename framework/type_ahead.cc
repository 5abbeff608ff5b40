#include "framework/type_ahead.h"

#include "platform/path_text.h"

namespace {

constexpr unsigned char kBackspace = 8;

}  // namespace

bool TypeAheadText::Type(unsigned char key, std::uint32_t now) {
  if (leadPending_) {
    leadPending_ = false;
    text_ += pendingLead_;
    text_ += static_cast<char>(key);
    previousKey_ = now;
    return true;
  }
  if (typedBefore_ && now - previousKey_ >= kRestartAfterMs) text_.clear();
  typedBefore_ = true;
  previousKey_ = now;
  if (key == kBackspace) {
    if (!text_.empty()) text_.erase(platform::LastCharacterIndex(text_));
    return true;
  }
  if (platform::IsLeadByte(key)) {
    pendingLead_ = static_cast<char>(key);
    leadPending_ = true;
    return false;
  }
  text_ += static_cast<char>(key);
  return true;
}
