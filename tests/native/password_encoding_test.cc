// What a password's bytes are read as, on Linux and under Wine alike: the same password file,
// in either encoding, must give the bytes the dialog digests for the typed password.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cli/password.h"
#include "platform/text_encoding.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::TextEncoding;
using platform::TextError;

// "パスワード", as the dialog digests it and as a UTF-8 editor saves it.
constexpr char kCp932[] = "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68";
constexpr char kUtf8[] = "\xE3\x83\x91\xE3\x82\xB9\xE3\x83\xAF\xE3\x83\xBC\xE3\x83\x89";
// "ﾃｽ" in code page 932, which is also valid UTF-8 ("ý").
constexpr char kKatakana[] = "\xC3\xBD";
constexpr char kMark[] = "\xEF\xBB\xBF";

TEST(PasswordEncoding, FollowsTheOptionAndWhereThePasswordComesFrom) {
  using enum PasswordEncoding;
  struct Case {
    PasswordEncoding option;
    bool byteOrderMark;
    TextEncoding file;
    // Typed: with a UTF-8 user encoding, with another, as characters.
    TextEncoding typedUtf8, typedOther, typedCharacters;
  };
  const Case cases[] = {
      {Auto, false, TextEncoding::Guess, TextEncoding::Guess, TextEncoding::User,
       TextEncoding::User},
      {Auto, true, TextEncoding::Utf8, TextEncoding::Guess, TextEncoding::User, TextEncoding::User},
      {Utf8, false, TextEncoding::Utf8, TextEncoding::Utf8, TextEncoding::Utf8, TextEncoding::User},
      {Cp932, true, TextEncoding::Cp932, TextEncoding::Cp932, TextEncoding::Cp932,
       TextEncoding::User},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.option));
    EXPECT_EQ(PasswordEncodingOfFile(c.option, c.byteOrderMark), c.file);
    EXPECT_EQ(PasswordEncodingOfTyped(c.option, true, false), c.typedUtf8);
    EXPECT_EQ(PasswordEncodingOfTyped(c.option, false, false), c.typedOther);
    EXPECT_EQ(PasswordEncodingOfTyped(c.option, true, true), c.typedCharacters);
  }
}

TEST(ToCp932, GivesTheDialogsBytesFromEitherEncoding) {
  struct Case {
    std::string text;
    TextEncoding from;
    std::string bytes;
    TextEncoding readAs;
    TextError error = TextError::None;
    char32_t character = 0;
  };
  const Case cases[] = {
      {kUtf8, TextEncoding::Utf8, kCp932, TextEncoding::Utf8},
      {kCp932, TextEncoding::Cp932, kCp932, TextEncoding::Cp932},
      {kUtf8, TextEncoding::Guess, kCp932, TextEncoding::Utf8},
      {kCp932, TextEncoding::Guess, kCp932, TextEncoding::Cp932},
      {"tokright", TextEncoding::Guess, "tokright", TextEncoding::Cp932},
      {kKatakana, TextEncoding::Cp932, kKatakana, TextEncoding::Cp932},
      {kKatakana, TextEncoding::Guess, "", TextEncoding::Utf8, TextError::Unrepresentable, 0xFD},
      // Duplicate codes come out as the dialog's edit box gives them: 纊 and ≒.
      {"\xED\x40\x87\x90", TextEncoding::Cp932, "\xFA\x5C\x81\xE0", TextEncoding::Cp932},
      {"\x83\x70\x83", TextEncoding::Cp932, "", TextEncoding::Cp932, TextError::Malformed},
      {kCp932, TextEncoding::Utf8, "", TextEncoding::Utf8, TextError::Malformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    const platform::Cp932Text converted = platform::ToCp932(c.text, c.from);
    EXPECT_EQ(converted.error, c.error);
    EXPECT_EQ(converted.bytes, c.bytes);
    EXPECT_EQ(converted.readAs, c.readAs);
    EXPECT_EQ(converted.character, c.character);
  }
}

TEST(AcquirePassword, ReadsAPasswordFileInEitherEncoding) {
  const std::string hint =
      "vellunora-decode: パスワードの文字コードは --password-encoding で選べます"
      "（auto、utf-8、cp932）。\n";
  struct Case {
    std::string content;
    PasswordEncoding option;
    std::optional<std::string> password;  // none: error is the message
    std::string error = {};
  };
  const Case cases[] = {
      {std::string(kCp932) + "\r\n", PasswordEncoding::Auto, kCp932},
      {std::string(kUtf8) + "\n", PasswordEncoding::Auto, kCp932},
      {std::string(kMark) + kUtf8, PasswordEncoding::Auto, kCp932},
      {std::string(kMark) + "tokright\n", PasswordEncoding::Auto, "tokright"},
      {kUtf8, PasswordEncoding::Utf8, kCp932},
      {kKatakana, PasswordEncoding::Cp932, kKatakana},
      {kKatakana, PasswordEncoding::Auto, std::nullopt,
       "vellunora-decode: パスワードの文字 U+00FD はコードページ932で表せません。\n" + hint},
      {kCp932, PasswordEncoding::Utf8, std::nullopt,
       "vellunora-decode: パスワードが、UTF-8 の文字として正しくありません。\n" + hint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.content));
    TempFolder folder;
    WriteFileBytes(folder / "pw.txt", std::vector<uint8_t>(c.content.begin(), c.content.end()));
    const PasswordOutcome outcome = AcquirePassword(folder / "pw.txt", c.option);
    ASSERT_EQ(outcome.password.has_value(), c.password.has_value()) << outcome.error;
    if (c.password) {
      EXPECT_EQ(outcome.password->view(), *c.password);
    }
    EXPECT_EQ(outcome.error, c.error);
  }
}

}  // namespace
