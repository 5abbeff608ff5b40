#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/held_output.h"

namespace {

using platform::CharacterLength;
using platform::FindLastSeparator;
using platform::LastCharacterIndex;

constexpr auto npos = std::string_view::npos;

// "ソ" and "表" in code page 932 end in 0x5C, the byte of "\".
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";

TEST(PathText, LeadBytesOfCodePage932) {
  struct Case {
    unsigned char byte;
    bool lead;
  };
  const Case cases[] = {{0x5C, false}, {0x80, false}, {0x81, true}, {0x9F, true},
                        {0xA0, false}, {0xB1, false}, {0xDF, false}, {0xE0, true},
                        {0xFC, true},  {0xFD, false}, {0x41, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(platform::IsLeadByte(c.byte), c.lead) << std::hex << int{c.byte};
  }
}

TEST(PathText, TrailByte5CIsNeverASeparator) {
  struct Case {
    std::string text;
    std::size_t lastSeparator;
    std::size_t lastCharacter;
  };
  const Case cases[] = {
      {"", npos, npos},
      {"\\", 0, 0},
      {"C:\\logs\\a", 7, 8},
      {"C:\\" + kSo, 2, 3},
      {"C:\\" + kSo + "\\", 5, 5},
      {kHyo + kSo, npos, 2},
      {"C:\\" + kHyo + "\\x" + kSo, 5, 7},
      // A lead byte at the very end has no partner: it is a character of its own.
      {"ab\x83", npos, 2},
      {"D:", 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindLastSeparator(c.text, "\\:"), c.lastSeparator) << c.text;
    EXPECT_EQ(LastCharacterIndex(c.text), c.lastCharacter) << c.text;
  }
}

TEST(PathText, CharacterLengthStepsOverPairs) {
  const std::string text = "a" + kSo + "\x83";
  EXPECT_EQ(CharacterLength(text, 0), 1u);
  EXPECT_EQ(CharacterLength(text, 1), 2u);
  EXPECT_EQ(CharacterLength(text, 3), 1u);
}

// A temporary output name must fit wherever the final name fits: MAX_PATH counts characters
// on Windows, where a double-byte character is one, and NAME_MAX counts bytes on POSIX.
TEST(TemporaryNameFor, NeverLongerThanTheFinalNameAndOfOurOwnShape) {
  constexpr bool kBytes = platform::kNativePathStyle == platform::PathStyle::Posix;
  struct Case {
    std::string finalName;
    size_t length;  // of the temporary name
    bool suffix;    // ends in ".tmp"
  };
  const Case cases[] = {
      {"LOG0001.CSV", 11, true},
      {".CSV", 4, false},
      {"a.b.CSV", 7, false},
      {"LOG00001.CSV", 12, true},
      {std::string(251, 'L') + ".CSV", 16, true},
      // Six bytes of three double-byte characters with 0x5C trail bytes, and ".CSV".
      {kHyo + kSo + kHyo + ".CSV", kBytes ? 10 : 7, kBytes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.finalName);
    const std::string name = platform::TemporaryNameFor(c.finalName, 0x0123456789abcdefULL);
    EXPECT_EQ(name.size(), c.length);
    EXPECT_EQ(name.front(), '~');
    EXPECT_EQ(name.ends_with(".tmp"), c.suffix);
    const std::string random = name.substr(1, name.size() - 1 - (c.suffix ? 4 : 0));
    EXPECT_EQ(random.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos);
    EXPECT_NE(name, platform::TemporaryNameFor(c.finalName, 0xfedcba9876543210ULL));
  }
}

}  // namespace
