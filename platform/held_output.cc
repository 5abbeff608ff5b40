#include "platform/held_output.h"

#include <algorithm>
#include <random>
#include <utility>

#include "platform/path_text.h"

namespace platform {
namespace {

size_t CharacterCount(std::string_view text) {
  if constexpr (kNativePathStyle == PathStyle::Posix) {
    // NAME_MAX counts bytes.
    return text.size();
  } else {
    // MAX_PATH counts characters, and a double-byte character is one.
    size_t count = 0;
    for (size_t index = 0; index < text.size(); index += CharacterLength(text, index)) ++count;
    return count;
  }
}

}  // namespace

std::string TemporaryNameFor(std::string_view finalName, uint64_t random) {
  constexpr std::string_view kSuffix = ".tmp";
  // "~", eleven random characters and the suffix: 36^11 names are plenty.
  constexpr size_t kLongest = 16;
  // Shorter names drop the suffix, so that at least four random characters remain.
  constexpr size_t kShortestWithSuffix = 9;
  static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  constexpr uint64_t kAlphabetSize = sizeof kAlphabet - 1;

  const size_t length = std::clamp<size_t>(CharacterCount(finalName), 1, kLongest);
  const bool withSuffix = length >= kShortestWithSuffix;
  std::string name = "~";
  const size_t randomCount = length - name.size() - (withSuffix ? kSuffix.size() : 0);
  for (size_t i = 0; i < randomCount; ++i) {
    name += kAlphabet[random % kAlphabetSize];
    random /= kAlphabetSize;
  }
  if (withSuffix) name += kSuffix;
  return name;
}

size_t FileNameStart(std::string_view path) {
  const std::string_view separators = kNativePathStyle == PathStyle::Windows ? "\\/:" : "/";
  const size_t separator = FindLastSeparator(path, separators);
  return separator == std::string_view::npos ? 0 : separator + 1;
}

uint64_t RandomForTemporaryName() {
  thread_local std::mt19937_64 random{(uint64_t{std::random_device{}()} << 32) ^
                                      std::random_device{}()};
  return random();
}

HeldOutput::HeldOutput(HeldOutput&& other) noexcept
    : file_(std::move(other.file_)),
      finalPath_(std::move(other.finalPath_)),
      temporaryPath_(std::move(other.temporaryPath_)) {
  other.finalPath_.clear();
  other.temporaryPath_.clear();
}

HeldOutput& HeldOutput::operator=(HeldOutput&& other) noexcept {
  if (this != &other) {
    Discard();
    file_ = std::move(other.file_);
    finalPath_ = std::exchange(other.finalPath_, {});
    temporaryPath_ = std::exchange(other.temporaryPath_, {});
  }
  return *this;
}

HeldOutput::~HeldOutput() { Discard(); }

}  // namespace platform
