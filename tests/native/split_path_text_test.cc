#include "browsing/split_path_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "platform/path_text.h"
#include "tests/support/double_byte_names.h"

static void PrintTo(const RootedPath& rooted, std::ostream* out) {
  *out << "{'"
       << (rooted.driveLetter == '\0' ? std::string("\\0") : std::string(1, rooted.driveLetter))
       << "', \"" << rooted.root << "\", \"" << rooted.directoryPart << "\"}";
}

namespace {

// The split reads Windows paths on every platform.
std::string_view LastName(std::string_view path) {
  return platform::LastName(path, platform::PathStyle::Windows);
}

// "/" is read as "\" only where it stands as a character of its own.
TEST(SplitPathText, WithBackslashes) {
  const std::pair<std::string, std::string> cases[] = {
      {"Z:/logs/a.$S$", "Z:\\logs\\a.$S$"},
      {"\\logs/" + kSo + "/x", "\\logs\\" + kSo + "\\x"},
      {"//srv/share", "\\\\srv\\share"},
      {"a\x83/b", "a\x83/b"},
      {"", ""},
  };
  for (const auto& [path, turned] : cases) EXPECT_EQ(WithBackslashes(path), turned) << path;
}

TEST(SplitPathText, PatternsHoldAWildcard) {
  EXPECT_TRUE(IsPattern("*.$S$"));
  EXPECT_TRUE(IsPattern("a?.$S$"));
  EXPECT_TRUE(IsPattern(kSo + "*"));
  EXPECT_FALSE(IsPattern("a.$S$"));
  EXPECT_FALSE(IsPattern(kSo + kHyo));
  EXPECT_FALSE(IsPattern(""));
}

TEST(SplitPathText, SeparateRoot) {
  struct Case {
    std::string path;
    std::string saved;
    RootedPath rooted;
  };
  const Case cases[] = {
      {"E:\\logs\\a.$S$", "D:\\app", {'E', "E:", "\\logs\\a.$S$"}},
      {"e:\\x", "D:\\app", {'e', "e:", "\\x"}},
      {"E:", "D:\\app", {'E', "E:", ""}},
      {"a.$S$", "D:\\app", {'D', "D:", "a.$S$"}},
      {"sub\\a.$S$", "D:\\app", {'D', "D:", "sub\\a.$S$"}},
      {"\\logs", "D:\\app", {'D', "D:", "\\logs"}},
      {"..", "D:\\app", {'D', "D:", ".."}},
      {"[..]", "D:\\app", {'D', "", ".."}},
      {"[" + kSo + "]", "D:\\app", {'D', "", kSo}},
      {"[]", "D:\\app", {'D', "", ""}},
      {"[", "D:\\app", {'D', "D:", "["}},
      // The closing "]" is the trail byte of a double-byte character: no bracket form.
      {"[x\x83]", "D:\\app", {'D', "D:", "[x\x83]"}},
      {"\\\\srv\\share\\dir\\f.$S$", "D:\\app", {'\0', "\\\\srv\\share", "\\dir\\f.$S$"}},
      {"\\\\srv\\share", "D:\\app", {'\0', "\\\\srv\\share", ""}},
      {"sub\\a", "\\\\srv\\share\\x", {'\0', "\\\\srv\\share", "sub\\a"}},
      // Inside brackets the saved directory's first character is kept, even a "\".
      {"[..]", "\\\\srv\\share\\x", {'\\', "", ".."}},
      {"", "D:\\app", {'D', "D:", ""}},
      {"a", "", {'\0', "", "a"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SeparateRoot(c.path, c.saved), c.rooted) << c.path;
}

TEST(SplitPathText, CutDirectoryPart) {
  struct Case {
    std::string directoryPart;
    std::string currentDirectory;
    std::string cut;
  };
  const Case cases[] = {
      {"\\logs\\a.$S$", "D:\\app", "\\logs"},
      {"\\a.$S$", "D:\\app", "\\"},
      {"\\", "D:\\app", "\\"},
      {"\\logs\\", "D:\\app", "\\logs"},
      {"\\logs", "D:\\app", "\\"},
      {"\\logs\\\\a", "D:\\app", "\\logs\\"},
      {"sub\\a.$S$", "D:\\app", "sub"},
      {"a.$S$", "D:\\app", "\\app"},
      {"", "E:\\work", "\\work"},
      {"", "E:\\", "\\"},
      {"..", "D:\\app", "\\app"},
      {"\\dir\\f.$S$", "D:\\app", "\\dir"},
      {"f.$S$", "\\\\srv\\share\\dir", "\\dir"},
      {"\\T\\" + kSo + "\\" + kHyo + ".$S$", "D:\\app", "\\T\\" + kSo},
      {"\\T\\" + kHyo, "D:\\app", "\\T"},
      {kSo, "D:\\app", "\\app"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutDirectoryPart(c.directoryPart, LastName(c.directoryPart), c.currentDirectory),
              c.cut)
        << c.directoryPart;
  }
}

TEST(SplitPathText, DescendInto) {
  EXPECT_EQ(DescendInto("\\", "logs"), "\\logs");
  EXPECT_EQ(DescendInto("\\app", ".."), "\\app\\..");
  EXPECT_EQ(DescendInto("\\logs\\", "a"), "\\logs\\\\a");
  EXPECT_EQ(DescendInto("\\T\\" + kSo, kHyo), "\\T\\" + kSo + "\\" + kHyo);
  EXPECT_EQ(DescendInto("sub", "x"), "sub\\x");
  // One-character relative folders stay in front: only the root loses its character.
  EXPECT_EQ(DescendInto(".", "sub"), ".\\sub");
  EXPECT_EQ(DescendInto("a", "b"), "a\\b");
  EXPECT_EQ(DescendInto(kSo, "b"), kSo + "\\b");
}

// The network row of the worked examples, step by step on the text.
TEST(SplitPathText, NetworkPathKeepsItsShare) {
  const std::string path = "\\\\srv\\share\\dir\\f.$S$";
  const RootedPath rooted = SeparateRoot(path, "D:\\app");
  EXPECT_EQ(rooted, (RootedPath{'\0', "\\\\srv\\share", "\\dir\\f.$S$"}));
  const std::string filePart(LastName(rooted.directoryPart));
  EXPECT_EQ(filePart, "f.$S$");
  const std::string directoryPart = CutDirectoryPart(rooted.directoryPart, filePart, "D:\\app");
  EXPECT_EQ(WithNetworkRoot(rooted.root, directoryPart), "\\\\srv\\share\\dir");

  // A bare name on a network current directory stays on the share.
  const RootedPath bare = SeparateRoot("f.$S$", "\\\\srv\\share\\dir");
  EXPECT_EQ(bare.driveLetter, '\0');
  EXPECT_EQ(WithNetworkRoot(bare.root, CutDirectoryPart(bare.directoryPart,
                                                         LastName(bare.directoryPart),
                                                         "\\\\srv\\share\\dir")),
            "\\\\srv\\share\\dir");

  // A relative directory in front of the name stays relative to the share's current
  // directory, instead of being glued to the share's name.
  const RootedPath relative = SeparateRoot("sub\\f.$S$", "\\\\srv\\share\\dir");
  EXPECT_EQ(WithNetworkRoot(relative.root, CutDirectoryPart(relative.directoryPart, "f.$S$",
                                                             "\\\\srv\\share\\dir")),
            "sub");
}

}  // namespace
