#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/held_output.h"
#include "tests/support/double_byte_names.h"

namespace {

using platform::CharacterLength;
using platform::FindLastSeparator;
using platform::LastCharacterIndex;
using platform::PathStyle;

constexpr auto npos = std::string_view::npos;

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
    std::size_t firstBackslash;
  };
  const Case cases[] = {
      {"", npos, npos, npos},
      {"\\", 0, 0, 0},
      {"C:\\logs\\a", 7, 8, 2},
      {"C:\\" + kSo, 2, 3, 2},
      {"C:\\" + kSo + "\\", 5, 5, 2},
      {kHyo + kSo, npos, 2, npos},
      {"C:\\" + kHyo + "\\x" + kSo, 5, 7, 2},
      {kSo + "\\" + kHyo + "\\", 5, 5, 2},
      // A lead byte at the very end has no partner: it is a character of its own.
      {"ab\x83", npos, 2, npos},
      {"D:", 1, 1, npos},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindLastSeparator(c.text, "\\:"), c.lastSeparator) << c.text;
    EXPECT_EQ(LastCharacterIndex(c.text), c.lastCharacter) << c.text;
    EXPECT_EQ(platform::FindSeparatorFrom(c.text, 0), c.firstBackslash) << c.text;
  }
  EXPECT_EQ(platform::FindSeparatorFrom("C:\\logs\\a", 3), 7u);
  EXPECT_EQ(platform::FindSeparatorFrom("C:\\logs\\a", 8), npos);
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

// ---------------------------------------------------------------------------------------
// Names, folders and joins, in both styles.

TEST(PathText, LastNameStepsOverWholeCharacters) {
  struct Case {
    PathStyle style;
    std::string path;
    std::string lastName;
  };
  const Case cases[] = {
      {PathStyle::Windows, "\\logs\\a.$S$", "a.$S$"},
      {PathStyle::Windows, "E:\\logs\\a.$S$", "a.$S$"},
      {PathStyle::Windows, "E:a.$S$", "a.$S$"},
      {PathStyle::Windows, "a.$S$", "a.$S$"},
      {PathStyle::Windows, "\\logs\\", ""},
      {PathStyle::Windows, "", ""},
      {PathStyle::Windows, "..", ".."},
      {PathStyle::Windows, "\\T\\" + kHyo, kHyo},
      {PathStyle::Windows, kSo, kSo},
      {PathStyle::Windows, "x\\" + kSo + kHyo, kSo + kHyo},
      {PathStyle::Windows, kSo + "\\" + kHyo + ".$S$", kHyo + ".$S$"},
      {PathStyle::Windows, "ab\x83", "ab\x83"},
      {PathStyle::Windows, "ab\\\x83", "\x83"},
      {PathStyle::Windows, "\\\\srv\\share\\dir\\f.$S$", "f.$S$"},
      // "/" is no separator of the Windows rule, "\" and ":" none of the POSIX one.
      {PathStyle::Windows, "a/b", "a/b"},
      {PathStyle::Posix, "/logs/a.$S$", "a.$S$"},
      {PathStyle::Posix, "C:\\logs\\a.$S$", "C:\\logs\\a.$S$"},
      {PathStyle::Posix, "/logs/", ""},
      // UTF-8 "ソ" (E3 82 BD) would be misread by a double-byte scan: POSIX scans bytes.
      {PathStyle::Posix, "\xE3\x82\xBD/a", "a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::LastName(c.path, c.style), c.lastName) << c.path;
  }
}

TEST(PathText, FolderOfKeepsTheRootsSeparator) {
  struct Case {
    PathStyle style;
    std::string path;
    std::string folder;
  };
  const Case cases[] = {
      {PathStyle::Posix, "/out/LOG1.CSV", "/out"},
      {PathStyle::Posix, "/LOG1.CSV", "/"},
      {PathStyle::Posix, "LOG1.CSV", ""},
      {PathStyle::Windows, "D:\\out\\LOG1.CSV", "D:\\out"},
      {PathStyle::Windows, "D:\\out\\" + kSo + "\\LOG1.CSV", "D:\\out\\" + kSo},
      {PathStyle::Windows, "D:\\LOG1.CSV", "D:\\"},
      {PathStyle::Windows, "\\LOG1.CSV", "\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::FolderOf(c.path, c.style), c.folder) << c.path;
}

TEST(PathText, PathInFolderPutsExactlyOneSeparatorBetween) {
  struct Case {
    std::string directory;
    std::string name;
    std::string joined;
  };
  const Case cases[] = {
      {"C:\\", "a", "C:\\a"},
      {"C:\\logs", "a.$S$", "C:\\logs\\a.$S$"},
      {"C:\\logs\\", "*.*", "C:\\logs\\*.*"},
      {"C:\\" + kSo, "a", "C:\\" + kSo + "\\a"},
      {"C:\\" + kHyo, kSo, "C:\\" + kHyo + "\\" + kSo},
      {"C:\\" + kSo + "\\", "a", "C:\\" + kSo + "\\a"},
      {kSo, "a", kSo + "\\a"},
      {"\\\\srv\\share\\", "a", "\\\\srv\\share\\a"},
      {"\\\\srv\\share", "a", "\\\\srv\\share\\a"},
      {"\\", "a", "\\a"},
      {"", "a", "\\a"},
      {"C:\\logs", "", "C:\\logs\\"},
      {"ab\x83", "a", "ab\x83\\a"},
      {"C:", "a", "C:\\a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::PathInFolder(c.directory, c.name, PathStyle::Windows), c.joined)
        << c.directory << " + " << c.name;
  }
  EXPECT_EQ(platform::PathInFolder("/out", "a", PathStyle::Posix), "/out/a");
  EXPECT_EQ(platform::PathInFolder("/", "a", PathStyle::Posix), "/a");
  EXPECT_EQ(platform::PathInFolder("", "a", PathStyle::Posix), "/a");
}

// A folder listing's join leaves what the system resolves alone: a drive-relative "C:" and
// an empty (current) folder get no separator.
TEST(PathText, JoinPathOfAListedEntry) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\logs", "C:\\logs\\a"},
      {"C:\\", "C:\\a"},
      {"C:", "C:a"},
      {"C:/logs/", "C:/logs/a"},
      {"", "a"},
      {"C:\\" + kSo, "C:\\" + kSo + "\\a"},
  };
  for (const auto& [folder, joined] : cases) {
    EXPECT_EQ(platform::JoinPath(folder, "a", PathStyle::Windows), joined) << folder;
  }
}

// ---------------------------------------------------------------------------------------
// Windows paths read on any platform.

TEST(PathText, UpperDriveLetterChangesOnlyLowerCaseLetters) {
  const std::pair<char, char> cases[] = {{'c', 'C'}, {'a', 'A'}, {'z', 'Z'}, {'C', 'C'},
                                         {'\\', '\\'}, {'1', '1'}, {'\0', '\0'}, {'{', '{'}};
  for (const auto& [letter, upper] : cases) {
    EXPECT_EQ(platform::UpperDriveLetter(letter), upper) << int{letter};
  }
}

TEST(PathText, DrivePart) {
  struct Case {
    std::string path;
    std::string drivePart;
  };
  const Case cases[] = {
      {"E:\\logs\\a.$S$", "E:"},
      {"e:\\x", "e:"},
      {"E:", "E:"},
      {"E:a.$S$", "E:"},
      {"E", ""},
      {"", ""},
      {"\\logs", ""},
      {"sub\\a.$S$", ""},
      {"\\\\srv\\share\\dir\\f.$S$", "\\\\srv\\share"},
      {"\\\\srv\\share\\", "\\\\srv\\share"},
      {"\\\\srv\\share", "\\\\srv\\share"},
      {"\\\\srv", "\\\\srv"},
      {"\\\\", "\\\\"},
      {"\\\\\\\\", "\\\\\\"},
      {"\\\\" + kSo + "\\share\\x", "\\\\" + kSo + "\\share"},
      {"\\\\srv\\" + kHyo + "\\x", "\\\\srv\\" + kHyo},
      {"\\\\srv\\" + kHyo, "\\\\srv\\" + kHyo},
      {"::", "::"},
      // A double-byte first character is no drive letter, even before a ":".
      {kSo + ":", ""},
      {"\x83:", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::DrivePart(c.path), c.drivePart) << c.path;
}

TEST(PathText, WithoutDrivePart) {
  struct Case {
    std::string path;
    std::string rest;
  };
  const Case cases[] = {
      {"C:\\logs", "\\logs"},
      {"C:\\", "\\"},
      {"C:", "\\"},
      {"\\logs", "\\logs"},
      {"\\\\srv\\share\\dir", "\\dir"},
      {"\\\\srv\\share\\", "\\"},
      {"\\\\srv\\share", "\\"},
      {"C:\\" + kSo, "\\" + kSo},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::WithoutDrivePart(c.path), c.rest) << c.path;
}

TEST(PathText, PathDepthCountsWholeCharacters) {
  const std::pair<std::string, int> cases[] = {
      {"", 0},
      {"C:\\", 1},
      {"C:\\logs\\2008", 2},
      {"\\\\srv\\share\\a", 4},
      {"C:\\" + kSo, 1},
      {"C:\\" + kSo + "\\" + kHyo, 2},
      {kSo + kHyo, 0},
  };
  for (const auto& [path, depth] : cases) EXPECT_EQ(platform::PathDepth(path), depth) << path;
}

TEST(PathText, DropLeadingFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"\\logs\\2008\\", "\\...\\2008\\"},
      {"\\...\\2008\\", "\\...\\"},
      {"...\\", ""},
      {"\\", ""},
      {"logs\\2008\\", "...\\2008\\"},
      {"\\" + kSo + "\\" + kHyo + "\\", "\\...\\" + kHyo + "\\"},
      // The trail byte of "表" is no separator: the whole name goes.
      {"\\" + kHyo + "x\\", "\\...\\"},
      {"\\\\srv\\share\\", "\\...\\srv\\share\\"},
  };
  for (const auto& [dir, dropped] : cases) EXPECT_EQ(platform::DropLeadingFolder(dir), dropped) << dir;
}

// Narrowing the width one step below each text's width gives the next text.
void ExpectShorteningSequence(const std::vector<std::string>& sequence,
                              const std::function<int(std::string_view)>& width) {
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    EXPECT_EQ(platform::ShortenPathToWidth(sequence.front(), width, width(sequence[i])), sequence[i]);
    if (i + 1 < sequence.size()) {
      EXPECT_EQ(platform::ShortenPathToWidth(sequence.front(), width, width(sequence[i]) - 1),
                sequence[i + 1]);
    }
  }
}

TEST(PathText, ShortenPathToWidthKeepsDriveThenLastName) {
  // Dots narrower than other bytes, as in a real font, so that "...\" is narrower than the
  // name it stands for.
  const auto bytes = [](std::string_view text) {
    int width = 0;
    for (char c : text) width += c == '.' ? 1 : 3;
    return width;
  };
  ExpectShorteningSequence({"C:\\logs\\2008\\jan", "C:\\...\\2008\\jan", "C:\\...\\jan", "...\\jan", "jan"},
                           bytes);
  ExpectShorteningSequence({"C:\\" + kSo + "\\" + kHyo + "\\jan", "C:\\...\\" + kHyo + "\\jan",
                            "C:\\...\\jan", "...\\jan", "jan"},
                           bytes);
  // The last name is never cut, however narrow.
  EXPECT_EQ(platform::ShortenPathToWidth("C:\\logs\\2008\\jan", bytes, 0), "jan");
  EXPECT_EQ(platform::ShortenPathToWidth("C:\\", bytes, 0), "");
}

}  // namespace
