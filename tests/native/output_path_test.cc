#include "engine/output_path.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/double_byte_names.h"

namespace {

using platform::PathStyle;

TEST(OutputPath, WindowsFolderAndNameRule) {
  struct Case {
    std::string folder;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"D:\\out", "C:\\logs\\LOG1.$S$", "D:\\out\\LOG1.CSV"},
      {"D:\\", "C:\\logs\\LOG1.$S$", "D:\\LOG1.CSV"},
      {"D:\\out\\", "LOG0001.$S$", "D:\\out\\LOG0001.CSV"},
      {"D:\\out", "C:\\logs\\a.b.$S$", "D:\\out\\a.b.CSV"},
      {"D:\\out", "C:\\logs\\LOG", "D:\\out\\LOG.CSV"},
      {"D:\\out", "C:\\logs\\.$S$", "D:\\out\\.CSV"},
      {"D:\\out", "C:LOG2.$S$", "D:\\out\\LOG2.CSV"},
      {"D:\\out", "C:\\dir.x\\LOG", "D:\\out\\LOG.CSV"},
      // A folder ending in a double-byte character whose second byte is 0x5C.
      {"D:\\" + kSo, "C:\\logs\\LOG1.$S$", "D:\\" + kSo + "\\LOG1.CSV"},
      // An input whose name ends in such a character: the name is not cut inside it.
      {"D:\\out", "C:\\logs\\" + kSo + ".$S$", "D:\\out\\" + kSo + ".CSV"},
      {"D:\\out", "C:\\" + kSo + "\\" + kSo + "x.$S$", "D:\\out\\" + kSo + "x.CSV"},
      {"", "C:\\logs\\LOG1.$S$", "\\LOG1.CSV"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OutputPathFor(c.folder, c.input, PathStyle::Windows), c.expected)
        << c.folder << " + " << c.input;
  }
}

TEST(OutputPath, PosixFolderAndNameRule) {
  struct Case {
    std::string folder;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"/out", "/logs/LOG1.$S$", "/out/LOG1.CSV"},
      {"/", "/logs/LOG1.$S$", "/LOG1.CSV"},
      {"out/", "LOG1.$S$", "out/LOG1.CSV"},
      {"/out", "/logs/a.b.$S$", "/out/a.b.CSV"},
      {"/out", "/logs/back\\slash.$S$", "/out/back\\slash.CSV"},
      // UTF-8 names: a byte scan for "/" cannot be fooled by multi-byte characters.
      {"/出力", "/ログ/あ.$S$", "/出力/あ.CSV"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OutputPathFor(c.folder, c.input, PathStyle::Posix), c.expected)
        << c.folder << " + " << c.input;
  }
}

}  // namespace
