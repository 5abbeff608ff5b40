#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/text_encoding.h"

namespace {

constexpr wchar_t kName[] = L"VELLUNORA_TEST_VARIABLE";

// Everything in the process's environment block, as a child process would get it.
std::wstring EnvironmentBlock() {
  wchar_t* block = GetEnvironmentStringsW();
  std::wstring all;
  for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
    all += entry;
    all += L'\n';
  }
  FreeEnvironmentStringsW(block);
  return all;
}

TEST(TakeEnvironmentSecretAsCp932, ConvertsTheValueAndTakesItOutOfTheEnvironment) {
  ASSERT_TRUE(SetEnvironmentVariableW(kName, L"パス word"));
  ASSERT_NE(EnvironmentBlock().find(L"パス word"), std::wstring::npos);

  const auto text = platform::TakeEnvironmentSecretAsCp932("VELLUNORA_TEST_VARIABLE");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->error, platform::TextError::None);
  EXPECT_EQ(text->bytes, "\x83\x70\x83\x58 word");

  EXPECT_EQ(GetEnvironmentVariableW(kName, nullptr, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
  EXPECT_EQ(EnvironmentBlock().find(L"パス word"), std::wstring::npos);
  EXPECT_FALSE(platform::TakeEnvironmentSecretAsCp932("VELLUNORA_TEST_VARIABLE").has_value());
}

}  // namespace
