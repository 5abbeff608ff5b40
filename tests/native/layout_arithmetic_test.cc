#include "framework/layout_arithmetic.h"

#include <gtest/gtest.h>

namespace {

TEST(CenteredCoordinate, HalvesTheFreeSpaceTowardZeroWithinTheDesktop) {
  struct Case {
    int screen;
    int window;
    int desktopEdge;
    int expected;
  };
  const Case cases[] = {
      {1280, 380, 0, 450},
      {1280, 381, 0, 449},       // 449.5 rounds toward zero
      {800, 1000, 0, 0},         // never left of the desktop
      {800, 1001, -1280, -100},  // -100.5 rounds toward zero, not down
      {800, 3000, -1280, -1100},
      {800, 3000, -500, -500},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CenteredCoordinate(c.screen, c.window, c.desktopEdge), c.expected)
        << c.screen << " " << c.window << " " << c.desktopEdge;
  }
}

TEST(ScaleDesigned, MultipliesByTheRatioOfTextHeights) {
  struct Case {
    int value;
    int textHeight;
    int expected;
  };
  const Case cases[] = {
      {366, 13, 366}, {366, 16, 450}, {398, 16, 490}, {8, 15, 9}, {13, 26, 26}, {75, 11, 63}, {0, 20, 0}, {-8, 26, -16},
      // Rounded to the nearest, as MulDiv rounds: 7 x 15 / 13 is 8.08, 6 x 15 / 13 is 6.92.
      {7, 15, 8}, {6, 15, 7}, {-6, 15, -7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleDesigned(c.value, c.textHeight, kDesignedTextHeight), c.expected) << c.value << " " << c.textHeight;
  }
  // Exact halves go away from zero; a result beyond an int is MulDiv's -1.
  EXPECT_EQ(ScaleDesigned(1, 1, 2), 1);
  EXPECT_EQ(ScaleDesigned(-1, 1, 2), -1);
  EXPECT_EQ(ScaleDesigned(3, 1, -2), -2);
  EXPECT_EQ(ScaleDesigned(2147483647, 26, 13), -1);
  EXPECT_EQ(ScaleDesigned(5, 20, 0), 5);
}

}  // namespace
