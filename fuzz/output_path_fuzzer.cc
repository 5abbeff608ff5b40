// The output-path rule and the path-text rules under it, with arbitrary bytes in both path
// styles. The stepping helpers are held to a model that finds character starts backwards, by
// a rule of its own rather than by stepping forwards as they do; the path functions are held
// to the contracts their headers state.
//
// Input: byte 0 is the length of a head (at most the bytes that follow), then the head, then
// the tail. Each is tried both as the output folder and as the input path.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/output_path.h"
#include "fuzz/require.h"
#include "platform/path_text.h"

namespace {

using platform::PathStyle;
constexpr size_t npos = std::string_view::npos;

bool IsCodePage932Lead(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Which bytes start a whole character. A byte after a non-lead byte always starts one (the
// non-lead byte was either a character of its own or the end of a pair), and from there each
// lead byte takes the next byte with it; so a byte starts a character exactly when an even
// number of lead bytes runs up to it. The end of the text counts as a start as well, also
// after a lead byte at the very end, which has nothing to take and stands alone.
class CharacterStarts {
 public:
  explicit CharacterStarts(std::string_view text) : leadRun_(text.size() + 1, 0) {
    for (size_t i = 0; i < text.size(); ++i) {
      leadRun_[i + 1] = IsCodePage932Lead(text[i]) ? leadRun_[i] + 1 : 0;
    }
  }

  bool operator[](size_t index) const {
    return index + 1 == leadRun_.size() || leadRun_[index] % 2 == 0;
  }

  size_t Last() const {
    const size_t size = leadRun_.size() - 1;
    if (size == 0) return npos;
    return (*this)[size - 1] ? size - 1 : size - 2;
  }

 private:
  std::vector<size_t> leadRun_;
};

size_t ModelLastSeparator(std::string_view text, std::string_view separators,
                          const CharacterStarts& starts) {
  for (size_t i = text.size(); i-- > 0;) {
    if (starts[i] && separators.find(text[i]) != npos) return i;
  }
  return npos;
}

void CheckStepping(std::string_view text) {
  const CharacterStarts starts(text);
  for (size_t i = 0; i < text.size(); ++i) {
    if (!starts[i]) continue;
    const size_t length = platform::CharacterLength(text, i);
    FUZZ_REQUIRE(length == 1 || length == 2);
    FUZZ_REQUIRE(i + length <= text.size());
    FUZZ_REQUIRE(starts[i + length]);
    if (length == 2) FUZZ_REQUIRE(!starts[i + 1]);
  }
  FUZZ_REQUIRE(platform::LastCharacterIndex(text) == starts.Last());
  size_t backslashes = 0;
  size_t firstBackslash = npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!starts[i] || text[i] != '\\') continue;
    ++backslashes;
    if (firstBackslash == npos) firstBackslash = i;
  }
  FUZZ_REQUIRE(platform::FindSeparatorFrom(text, 0) == firstBackslash);
  FUZZ_REQUIRE(static_cast<size_t>(platform::PathDepth(text)) == backslashes);
  for (std::string_view separators : {std::string_view("\\:"), std::string_view("/")}) {
    FUZZ_REQUIRE(platform::FindLastSeparator(text, separators) ==
                 ModelLastSeparator(text, separators, starts));
  }
}

void CheckPathRule(std::string_view folder, std::string_view input, PathStyle style) {
  const bool windows = style == PathStyle::Windows;
  const char separator = windows ? '\\' : '/';
  const std::string_view separators = windows ? "\\:" : "/";

  // File name and folder: the two sides of the last whole-character separator.
  const CharacterStarts inputStarts(input);
  const size_t last =
      windows ? ModelLastSeparator(input, separators, inputStarts) : input.rfind('/');
  const std::string_view name = platform::LastName(input, style);
  FUZZ_REQUIRE(name.data() + name.size() == input.data() + input.size());
  FUZZ_REQUIRE(name == (last == npos ? input : input.substr(last + 1)));
  const bool atRoot = last == 0 || (windows && last != npos && input[last - 1] == ':');
  FUZZ_REQUIRE(platform::FolderOf(input, style) ==
               (last == npos ? std::string_view() : input.substr(0, atRoot ? last + 1 : last)));

  // The output name: the name up to its last dot, then ".CSV".
  const std::string outputName = OutputFileNameFor(name);
  FUZZ_REQUIRE(outputName.ends_with(".CSV"));
  const std::string_view stem = std::string_view(outputName).substr(0, outputName.size() - 4);
  FUZZ_REQUIRE(name.starts_with(stem));
  const std::string_view extension = name.substr(stem.size());
  if (extension.empty()) {
    FUZZ_REQUIRE(name.find('.') == npos);
  } else {
    FUZZ_REQUIRE(extension[0] == '.' && extension.find('.', 1) == npos);
  }

  // The output path: the folder, one separator unless it already ends in one, the name.
  const std::string output = OutputPathFor(folder, input, style);
  FUZZ_REQUIRE(output.starts_with(folder));
  FUZZ_REQUIRE(output.ends_with(outputName));
  FUZZ_REQUIRE(output.size() >= folder.size() + outputName.size());
  const std::string_view between = std::string_view(output).substr(
      folder.size(), output.size() - folder.size() - outputName.size());
  const CharacterStarts folderStarts(folder);
  const bool endsInSeparator = !folder.empty() && folder.back() == separator &&
                               (!windows || folderStarts[folder.size() - 1]);
  FUZZ_REQUIRE(between == (endsInSeparator ? std::string_view() : std::string_view(&separator, 1)));

  // Read back, the output path gives its own name and folder again, unless the folder ends in
  // half a character, whose missing second byte the separator after it then becomes.
  const bool folderEndsInHalf = windows && !folder.empty() && IsCodePage932Lead(folder.back()) &&
                                folderStarts[folder.size() - 1];
  if (folderEndsInHalf) return;
  FUZZ_REQUIRE(platform::LastName(output, style) == outputName);
  std::string expectedFolder(folder);
  if (endsInSeparator && folder.size() > 1) expectedFolder.pop_back();
  if (folder.empty()) expectedFolder = separator;
  // A drive's root keeps its separator.
  if (windows && expectedFolder.ends_with(':')) expectedFolder += separator;
  FUZZ_REQUIRE(platform::FolderOf(output, style) == expectedFolder);
}

// The rules of Windows paths that read a drive part, join a listed entry and shorten a path.
void CheckWindowsRules(std::string_view folder, std::string_view path) {
  const CharacterStarts starts(path);
  const std::string drive = platform::DrivePart(path);
  FUZZ_REQUIRE(path.starts_with(drive));
  // A drive part ends where a whole character ends.
  FUZZ_REQUIRE(starts[drive.size()]);
  const bool letter = path.size() >= 2 && path[1] == ':' && !IsCodePage932Lead(path[0]);
  if (letter) FUZZ_REQUIRE(drive == path.substr(0, 2));
  if (!letter && !path.starts_with("\\\\")) FUZZ_REQUIRE(drive.empty());
  const std::string rest = platform::WithoutDrivePart(path);
  FUZZ_REQUIRE(rest == (path.size() == drive.size() ? std::string("\\") : std::string(path.substr(drive.size()))));

  // A listed entry's join: the name after the folder, and a separator only where needed.
  const std::string joined = platform::JoinPath(folder, "n", PathStyle::Windows);
  const CharacterStarts folderStarts(folder);
  const bool endsInSeparator = !folder.empty() && folderStarts[folder.size() - 1] &&
                               std::string_view("\\/:").find(folder.back()) != npos;
  FUZZ_REQUIRE(joined == std::string(folder) + (folder.empty() || endsInSeparator ? "" : "\\") + "n");

  // Shortening keeps the last name whole and ends: with room enough it
  // changes nothing, with none it leaves only the last name.
  const auto width = [](std::string_view text) { return static_cast<int>(text.size()); };
  const std::string_view name = platform::LastName(path, PathStyle::Windows);
  const std::string tight = platform::ShortenPathToWidth(path, width, 0);
  FUZZ_REQUIRE(tight.ends_with(name));
  FUZZ_REQUIRE(platform::ShortenPathToWidth(path, width, width(path)) == path);
  const int half = width(path) / 2;
  const std::string shortened = platform::ShortenPathToWidth(path, width, half);
  FUZZ_REQUIRE(shortened.ends_with(name));
  FUZZ_REQUIRE(width(shortened) <= half || shortened == name);
}

}  // namespace

// The lead-byte test has only 256 inputs: checked once, before the first run.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    FUZZ_REQUIRE(platform::IsLeadByte(static_cast<unsigned char>(byte)) ==
                 IsCodePage932Lead(static_cast<char>(byte)));
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t headLength = std::min<size_t>(data[0], text.size());
  const std::string_view head = text.substr(0, headLength);
  const std::string_view tail = text.substr(headLength);

  CheckStepping(text);
  CheckWindowsRules(head, tail);
  CheckWindowsRules(tail, head);
  for (PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    CheckPathRule(head, tail, style);
    CheckPathRule(tail, head, style);
  }
  return 0;
}
