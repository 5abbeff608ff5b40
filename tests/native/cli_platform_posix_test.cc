// Tests of the POSIX platform files behind the command-line decoder: password text encoding,
// folder listing and the reading of a password line.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/directory.h"
#include "platform/text_encoding.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::TextError;

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(UserTextToCp932, UsesTheMicrosoftMappingsInEveryUtf8Locale) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", ""},
      {"tokright 123", "tokright 123"},
      {"パスワード～", "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68\x81\x60"},
      {"～", "\x81\x60"},            // U+FF5E FULLWIDTH TILDE
      {"−", "\x81\x7c"},             // U+2212 MINUS SIGN
      {"∥", "\x81\x61"},             // U+2225 PARALLEL TO
      {"￢", "\x81\xca"},            // U+FFE2 FULLWIDTH NOT SIGN
      {"①", "\x87\x40"},             // NEC special character
      {"髙", "\xfb\xfc"},            // IBM extension
      {"ｱ", "\xb1"},                 // half-width katakana
      {"ソ表", "\x83\x5c\x95\x5c"},  // trail byte 0x5C
  };
  for (const char* locale : {"C", "POSIX", "C.UTF-8", "ja_JP.UTF-8", "xx_NOWHERE.UTF-8"}) {
    const ScopedVariable variable("LC_ALL", locale);
    for (const auto& [text, expected] : cases) {
      const platform::Cp932Text converted = platform::UserTextToCp932(text);
      EXPECT_EQ(converted.error, TextError::None) << locale << " " << text;
      EXPECT_EQ(converted.bytes, expected) << locale << " " << text;
    }
  }
}

TEST(UserTextToCp932, RefusesWhatCodePage932CannotHoldAndNamesIt) {
  const ScopedVariable variable("LC_ALL", "C.UTF-8");
  const std::pair<std::string_view, char32_t> cases[] = {
      {"\xF0\x9F\x98\x80", 0x1F600},  // emoji
      {"ab\xC3\xA9", 0xE9},           // é
      {"한", 0xD55C},                 // Hangul
      {"x\xE2\x82\xAC", 0x20AC},      // euro sign
  };
  for (const auto& [text, character] : cases) {
    const platform::Cp932Text converted = platform::UserTextToCp932(text);
    EXPECT_EQ(converted.error, TextError::Unrepresentable) << text;
    EXPECT_EQ(converted.character, character) << text;
    EXPECT_TRUE(converted.bytes.empty()) << text;
  }
}

TEST(UserTextToCp932, RefusesTextThatIsNotValidInTheLocale) {
  const ScopedVariable variable("LC_ALL", "C.UTF-8");
  for (const std::string_view text : {"\xFF", "pw\xE3\x83", "\xC0\xAF", "\xED\xA0\x80"}) {
    const platform::Cp932Text converted = platform::UserTextToCp932(text);
    EXPECT_EQ(converted.error, TextError::Malformed) << testing::PrintToString(std::string(text));
    EXPECT_TRUE(converted.bytes.empty());
  }
}

TEST(TakeEnvironmentSecretAsCp932, ConvertsTheValueOrIsNothingWhenUnset) {
  {
    const ScopedVariable variable("VELLUNORA_TEST_VARIABLE", nullptr);
    EXPECT_FALSE(platform::TakeEnvironmentSecretAsCp932("VELLUNORA_TEST_VARIABLE").has_value());
  }
  const ScopedVariable locale("LC_ALL", "C.UTF-8");
  const std::pair<const char*, std::string_view> cases[] = {{"", ""},
                                                            {"パス word", "\x83\x70\x83\x58 word"}};
  for (const auto& [value, expected] : cases) {
    const ScopedVariable variable("VELLUNORA_TEST_VARIABLE", value);
    const auto text = platform::TakeEnvironmentSecretAsCp932("VELLUNORA_TEST_VARIABLE");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->error, TextError::None);
    EXPECT_EQ(text->bytes, expected);
  }
  const ScopedVariable emoji("VELLUNORA_TEST_VARIABLE", "\xF0\x9F\x98\x80");
  const auto text = platform::TakeEnvironmentSecretAsCp932("VELLUNORA_TEST_VARIABLE");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->error, TextError::Unrepresentable);
  EXPECT_EQ(text->character, 0x1F600u);
}

// A child process gets the environment as it is when it starts, and a dump of the process
// reads the bytes where they lie: the password must be in neither once it has been taken.
TEST(TakeEnvironmentSecretAsCp932, RemovesTheVariableAndOverwritesItsBytes) {
  const ScopedVariable variable("VELLUNORA_TEST_VARIABLE", "secret password");
  const char* stored = std::getenv("VELLUNORA_TEST_VARIABLE");
  ASSERT_NE(stored, nullptr);
  const auto text = platform::TakeEnvironmentSecretAsCp932("VELLUNORA_TEST_VARIABLE");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->bytes, "secret password");
  EXPECT_EQ(std::getenv("VELLUNORA_TEST_VARIABLE"), nullptr);
  // glibc keeps the memory setenv() gave a value, so the old bytes can be read back.
  EXPECT_EQ(std::string(stored, 15), std::string(15, '\0'));
}

TEST(ReadFirstLineOfFile, StopsAfterTheLineBreakOrAtTheLimit) {
  TempFolder folder;
  const std::string path = folder / "pw.txt";
  const std::string content = "first\r\nsecond\n";
  WriteFileBytes(path, std::vector<uint8_t>(content.begin(), content.end()));
  EXPECT_EQ(platform::ReadFirstLineOfFile(path, 100).value, "first\r\n");
  EXPECT_EQ(platform::ReadFirstLineOfFile(path, 3).value, "fir");
  const auto missing = platform::ReadFirstLineOfFile(folder / "none", 100);
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.error, static_cast<platform::SystemError>(ENOENT));
}

TEST(ListDirectory, GivesEveryEntryWithItsKindAndLinks) {
  TempFolder folder;
  WriteFileBytes(folder / "file", std::vector<uint8_t>{1});
  mkdir((folder / "dir").c_str(), 0777);
  ASSERT_EQ(symlink("dir", (folder / "to-dir").c_str()), 0);
  ASSERT_EQ(symlink("nothing", (folder / "dangling").c_str()), 0);

  auto listed = platform::ListDirectory(folder.path());
  ASSERT_TRUE(listed);
  std::map<std::string, std::pair<platform::PathKind, bool>> found;
  for (const auto& entry : *listed.value) found[entry.name] = {entry.kind, entry.isLink};
  using platform::PathKind;
  const std::map<std::string, std::pair<PathKind, bool>> expected{
      {"file", {PathKind::File, false}},
      {"dir", {PathKind::Directory, false}},
      {"to-dir", {PathKind::Directory, true}},
      {"dangling", {PathKind::Missing, true}},
  };
  EXPECT_EQ(found, expected);
  EXPECT_FALSE(platform::ListDirectory(folder / "file"));
}

TEST(JoinPath, AddsOneSeparatorOnlyWhereNeeded) {
  EXPECT_EQ(platform::JoinPath("a", "b"), "a/b");
  EXPECT_EQ(platform::JoinPath("a/", "b"), "a/b");
  EXPECT_EQ(platform::JoinPath("/", "b"), "/b");
  EXPECT_EQ(platform::JoinPath("", "b"), "b");
}

}  // namespace
