#include "browsing/file_name_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/path_text.h"
#include "tests/support/double_byte_names.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"

namespace {

// Code page 932 pairs whose trail byte is an ASCII letter (and kSo, kHyo, whose trail byte is
// "\"): lowering or splitting them byte by byte turns them into other characters ("ア" 0x83
// 0x41 into "ヂ" 0x83 0x61).
const std::string kA = "ア";
const std::string kDi = "ヂ";
const std::string kFullWidthUpperA = "Ａ";
const std::string kFullWidthLowerA = "ａ";

TEST(FileNameCase, SourceTextIsCodePage932) {
  ASSERT_EQ(GetACP(), 932u);
  EXPECT_EQ(kA, "\x83\x41");
  EXPECT_EQ(kDi, "\x83\x61");
  EXPECT_EQ(std::string("ソ"), kSo);
  EXPECT_EQ(std::string("表"), kHyo);
  EXPECT_EQ(kFullWidthUpperA, "\x82\x60");
  EXPECT_EQ(kFullWidthLowerA, "\x82\x81");
}

TEST(FileNameCase, DoubleByteCodePageLowersOnlyAsciiLetters) {
  ASSERT_EQ(GetACP(), 932u);
  EXPECT_EQ(SystemFileNameCase(), FileNameCase::AsciiLettersOnly);
}

TEST(FileNameCase, AsciiRuleKeepsDoubleByteCharactersWhole) {
  struct Case {
    std::string text;
    std::string lowered;
  };
  const Case cases[] = {
      {"", ""},
      {"C:\\LOGS\\A.$S$", "c:\\logs\\a.$s$"},
      {"azAZ@[`{09", "azaz@[`{09"},
      {kA, kA},
      {"X" + kA + "Y", "x" + kA + "y"},
      {kFullWidthUpperA, kFullWidthUpperA},
      {"\xB1\xDF", "\xB1\xDF"},  // half-width katakana have no case
      {kSo + "A" + kHyo + "B", kSo + "a" + kHyo + "b"},
      // A lead byte without a partner is a character of its own; the letter before it
      // is still lowered.
      {"A\x83", "a\x83"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LowerFileName(c.text, FileNameCase::AsciiLettersOnly), c.lowered) << c.text;
    EXPECT_EQ(LowerFileName(c.text), c.lowered) << c.text;
  }
}

TEST(FileNameCase, LocaleRuleLowersEveryCasedCharacter) {
  EXPECT_EQ(LowerFileName("C:\\LOGS\\A.$S$", FileNameCase::Locale), "c:\\logs\\a.$s$");
  EXPECT_EQ(LowerFileName("", FileNameCase::Locale), "");
  EXPECT_EQ(LowerFileName(kFullWidthUpperA, FileNameCase::Locale), kFullWidthLowerA);
  EXPECT_EQ(LowerFileName(kA, FileNameCase::Locale), kA);
}

TEST(FileNameCompare, FollowsTheUserLocaleOrder) {
  EXPECT_EQ(CompareLocaleText("a", "b"), -1);
  EXPECT_EQ(CompareLocaleText("b", "a"), 1);
  EXPECT_EQ(CompareLocaleText("logs", "logs"), 0);
  EXPECT_EQ(CompareLocaleText("", ""), 0);
  EXPECT_NE(CompareLocaleText("a", "A"), 0);
  EXPECT_EQ(CompareLocaleText("abc", "abd"), -1);
  EXPECT_EQ(CompareLocaleText("ab", "abc"), -1);
  // Only the given lengths count, not what follows them in memory.
  const std::string longer = "logs2";
  EXPECT_EQ(CompareLocaleText(std::string_view(longer).substr(0, 4), "logs"), 0);
}

TEST(SamePath, IgnoresTheCaseOfAsciiLetters) {
  EXPECT_TRUE(SamePath("C:\\Logs\\2008", "c:\\LOGS\\2008"));
  EXPECT_TRUE(SamePath("", ""));
  EXPECT_TRUE(SamePath("\\\\SRV\\Share\\" + kSo, "\\\\srv\\share\\" + kSo));
}

TEST(SamePath, TellsDifferentPathsApart) {
  EXPECT_FALSE(SamePath("C:\\logs", "C:\\logs2"));
  EXPECT_FALSE(SamePath("C:\\logs", "C:\\logs\\"));
  EXPECT_FALSE(SamePath("C:\\logs", "D:\\logs"));
  EXPECT_FALSE(SamePath("C:\\" + kSo, "C:\\" + kHyo));
}

TEST(SamePath, DoubleByteCharactersAreNotCaseFolded) {
  // Byte-wise lowering would make "ア" into "ヂ" and call the two paths equal.
  EXPECT_FALSE(SamePath("C:\\" + kA, "C:\\" + kDi));
  EXPECT_FALSE(SamePath(kFullWidthUpperA, kFullWidthLowerA));
  EXPECT_TRUE(SamePath("C:\\" + kA + "X", "c:\\" + kA + "x"));
}

TEST(PathInFolder, NamesRealEntriesBelowTrailByte5CDirectories) {
  TempFolder folder;
  for (const std::string& directoryName : {kSo, kHyo}) {
    const std::string directory = platform::PathInFolder(folder.path(), directoryName);
    ASSERT_TRUE(MakeDirectory(directory)) << GetLastError();
    ASSERT_TRUE(MakeFile(platform::PathInFolder(directory, kA + ".$S$"))) << GetLastError();

    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(platform::PathInFolder(directory, "*.$S$").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_EQ(std::string(found.cFileName), kA + ".$S$");
    EXPECT_FALSE(FindNextFileA(search, &found));
    FindClose(search);
    // Nothing was created beside the directory under a name that swallowed the separator.
    EXPECT_EQ(GetFileAttributesA((folder.path() + "\\" + directoryName + kA + ".$S$").c_str()),
              INVALID_FILE_ATTRIBUTES);
  }
}

}  // namespace
