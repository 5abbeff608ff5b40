#include "framework/exceptions.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EInOutError, MessageFollowsTheSystemErrorCode) {
  struct Case {
    uint32_t code;
    std::string message;
  };
  const Case cases[] = {
      {2, "ファイルが見つかりません"},
      {3, "ファイル名の指定が間違っています"},
      {4, "オープンしたファイルが多すぎます"},
      {5, "ファイルへのアクセスが拒否されました"},
      {100, "ファイルの末尾以降を読み込みました"},
      {101, "ディスクがいっぱいです"},
      {106, "入力値が数値ではありません"},
      {21, "I/O エラー (21)"},
      {0, "I/O エラー (0)"},
  };
  for (const Case& c : cases) {
    const EInOutError error(c.code);
    EXPECT_EQ(error.Message(), c.message) << c.code;
    EXPECT_EQ(error.ErrorCode(), c.code);
    EXPECT_STREQ(error.ClassName(), "EInOutError");
  }
}

TEST(ListErrors, NameTheIndex) {
  EXPECT_EQ(EListError(-1).Message(), "リストのインデックスが範囲を超えています (-1)");
  EXPECT_EQ(EStringListError(7).Message(), "リストのインデックスが範囲を超えています (7)");
  EXPECT_STREQ(EStringListError(7).ClassName(), "EStringListError");
}

}  // namespace
