#include "framework/exceptions.h"

#include <cstdio>

std::string InOutErrorMessage(uint32_t errorCode) {
  switch (errorCode) {
    case 2: return "ファイルが見つかりません";
    case 3: return "ファイル名の指定が間違っています";
    case 4: return "オープンしたファイルが多すぎます";
    case 5: return "ファイルへのアクセスが拒否されました";
    case 100: return "ファイルの末尾以降を読み込みました";
    case 101: return "ディスクがいっぱいです";
    case 106: return "入力値が数値ではありません";
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "I/O エラー (%d)", static_cast<int>(errorCode));
      return text;
    }
  }
}

std::string ListIndexErrorMessage(int index) {
  char text[96];
  std::snprintf(text, sizeof text, "リストのインデックスが範囲を超えています (%d)", index);
  return text;
}

EInOutError::EInOutError(uint32_t errorCode)
    : Exception(InOutErrorMessage(errorCode)), errorCode_(errorCode) {}

EListError::EListError(int index) : Exception(ListIndexErrorMessage(index)) {}

EStringListError::EStringListError(int index) : Exception(ListIndexErrorMessage(index)) {}
