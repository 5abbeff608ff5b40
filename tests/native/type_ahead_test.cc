#include "framework/type_ahead.h"

#include <gtest/gtest.h>

#include "tests/support/double_byte_names.h"

namespace {

constexpr unsigned char kBackspace = 8;
constexpr auto kHyoLead = static_cast<unsigned char>(0x95);
constexpr auto kTrail = static_cast<unsigned char>(0x5C);

TEST(TypeAheadText, BuildsTheSearchTextByWholeCharacters) {
  TypeAheadText text;
  EXPECT_TRUE(text.Type('a', 0));
  EXPECT_FALSE(text.Type(kHyoLead, 100));
  EXPECT_EQ(text.Text(), "a");
  EXPECT_TRUE(text.Type(kTrail, 100));
  EXPECT_EQ(text.Text(), "a" + kHyo);
  EXPECT_TRUE(text.Type(kBackspace, 200));
  EXPECT_EQ(text.Text(), "a");
  EXPECT_TRUE(text.Type(kBackspace, 300));
  EXPECT_TRUE(text.Type(kBackspace, 400));
  EXPECT_EQ(text.Text(), "");
  EXPECT_TRUE(text.Type('x', 899));
  EXPECT_TRUE(text.Type('y', 1398));
  EXPECT_EQ(text.Text(), "xy");
  EXPECT_TRUE(text.Type('z', 1898));
  EXPECT_EQ(text.Text(), "z");
}

}  // namespace
