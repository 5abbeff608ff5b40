#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/double_byte_names.h"

namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLineArguments, SplitsLikeTheDialogReadsItsCommandLine) {
  // "\x82\x20" is not a valid character, but its 0x20 must still be taken as the second
  // byte, not as a blank.
  struct Case {
    std::string commandLine;
    Arguments arguments;
  };
  const Case cases[] = {
      {"prog.exe", {}},
      {"", {}},
      {"prog.exe   ", {}},
      {"prog.exe a.$S$", {"a.$S$"}},
      {"prog.exe a.$S$ b.$S$", {"a.$S$", "b.$S$"}},
      {"\"C:\\Program Files\\prog.exe\" a", {"a"}},
      {"prog.exe \"C:\\my logs\\a.$S$\"", {"C:\\my logs\\a.$S$"}},
      {"prog.exe C:\\\"my logs\"\\a.$S$", {"C:\\my logs\\a.$S$"}},
      // A pair of quotes standing alone is no argument.
      {"prog.exe \"\" a", {"a"}},
      {"prog.exe a \"\"", {"a"}},
      // A lone quote after the last blank is no argument either.
      {"prog.exe a \"", {"a"}},
      // An unterminated quote runs to the end, blanks included.
      {"prog.exe \"a b", {"a b"}},
      // Tabs and control characters separate like blanks.
      {"prog.exe\ta\x01" "b\nc", {"a", "b", "c"}},
      {"prog.exe a\"\"b", {"ab"}},
      {"prog.exe " + kSo + " \"" + kSo + "\"", {kSo, kSo}},
      {"prog.exe \x82\x20x y", {"\x82\x20x", "y"}},
      {"prog.exe \x82\"x y", {"\x82\"x", "y"}},
      // The text ends at its first NUL.
      {std::string("prog.exe a\0b", 12), {"a"}},
      // A lead byte at the very end is a character of its own.
      {"prog.exe a\x83", {"a\x83"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::CommandLineArguments(c.commandLine), c.arguments) << c.commandLine;
  }
}

}  // namespace
