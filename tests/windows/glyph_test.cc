#include "browsing/glyph.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

#include "tests/windows/glyph_pixels.h"

namespace {

struct GlyphSize {
  const char* name;
  int width;
  int height;
};
const GlyphSize kGlyphs[] = {
    {"OPENFOLDER", 16, 15}, {"CLOSEDFOLDER", 16, 15}, {"CURRENTFOLDER", 16, 15}, {"EXECUTABLE", 16, 15},
    {"UNKNOWNFILE", 16, 15}, {"FLOPPY", 16, 11},      {"HARD", 16, 11},          {"NETWORK", 16, 11},
    {"CDROM", 16, 11},      {"RAM", 16, 11},
};

// Colours that no glyph uses, so a pixel left alone or filled is told apart from the picture.
constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);
constexpr COLORREF kFill = RGB(0xFE, 0xDC, 0xBA);

// A screen-compatible memory bitmap filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    const HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    SetBkColor(dc_, kBackground);
    ExtTextOutA(dc_, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

  // Pixels outside the rectangle (x, y, width, height) that are not the background.
  int ChangedOutside(int x, int y, int width, int height) const {
    int changed = 0;
    for (int row = 0; row < height_; ++row) {
      for (int column = 0; column < width_; ++column) {
        const bool inside = column >= x && column < x + width && row >= y && row < y + height;
        if (!inside && GetPixel(dc_, column, row) != kBackground) ++changed;
      }
    }
    return changed;
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

TEST(Glyph, LoadsEachResourceWithItsSizeAndBottomLeftColour) {
  for (const auto& [name, width, height] : kGlyphs) {
    const ResourcePixels reference = ReadResourcePixels(name);
    ASSERT_FALSE(reference.pixels.empty()) << name;
    const Glyph glyph(name);
    EXPECT_FALSE(glyph.Empty()) << name;
    EXPECT_EQ(glyph.Width(), width) << name;
    EXPECT_EQ(glyph.Height(), height) << name;
    EXPECT_EQ(glyph.Width(), reference.width) << name;
    EXPECT_EQ(glyph.Height(), reference.height) << name;
    EXPECT_EQ(glyph.TransparentColour(), reference.BottomLeft()) << name;
  }
}

TEST(Glyph, TransparentPixelsTakeTheFillColourAndOthersTheirOwn) {
  for (const GlyphSize& size : kGlyphs) {
    const char* name = size.name;
    const ResourcePixels reference = ReadResourcePixels(name);
    const Glyph glyph(name);
    Canvas canvas(40, 40);
    glyph.Draw(canvas.dc(), 5, 7, kFill);
    EXPECT_TRUE(GlyphDrawnAt(canvas.dc(), 5, 7, reference, kFill)) << name;
    EXPECT_EQ(canvas.ChangedOutside(5, 7, reference.width, reference.height), 0) << name;
  }
}

TEST(Glyph, EachDrawTakesItsOwnFillColour) {
  const ResourcePixels reference = ReadResourcePixels("EXECUTABLE");
  const Glyph glyph("EXECUTABLE");
  Canvas canvas(40, 20);
  glyph.Draw(canvas.dc(), 0, 0, kFill);
  glyph.Draw(canvas.dc(), 20, 2, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_TRUE(GlyphDrawnAt(canvas.dc(), 0, 0, reference, kFill));
  EXPECT_TRUE(GlyphDrawnAt(canvas.dc(), 20, 2, reference, GetSysColor(COLOR_HIGHLIGHT)));
}

TEST(Glyph, DrawingLeavesTheDestinationsColoursAlone) {
  const Glyph glyph("CLOSEDFOLDER");
  Canvas canvas(20, 20);
  SetTextColor(canvas.dc(), RGB(1, 2, 3));
  SetBkColor(canvas.dc(), RGB(4, 5, 6));
  glyph.Draw(canvas.dc(), 2, 2, kFill);
  EXPECT_EQ(GetTextColor(canvas.dc()), RGB(1, 2, 3));
  EXPECT_EQ(GetBkColor(canvas.dc()), RGB(4, 5, 6));
}

TEST(Glyph, MissingResourceIsEmptyAndDrawsNothing) {
  const Glyph glyph("NOSUCHGLYPH");
  EXPECT_TRUE(glyph.Empty());
  EXPECT_EQ(glyph.Width(), 0);
  EXPECT_EQ(glyph.Height(), 0);
  Canvas canvas(20, 20);
  glyph.Draw(canvas.dc(), 0, 0, kFill);
  EXPECT_EQ(canvas.ChangedOutside(0, 0, 0, 0), 0);
}

TEST(Glyph, MovingHandsOverThePicture) {
  const ResourcePixels reference = ReadResourcePixels("UNKNOWNFILE");
  Glyph first("UNKNOWNFILE");
  Glyph second(std::move(first));
  EXPECT_TRUE(first.Empty());  // NOLINT(bugprone-use-after-move): the moved-from state is the point
  EXPECT_EQ(first.Height(), 0);  // NOLINT(bugprone-use-after-move)
  Canvas canvas(20, 20);
  first.Draw(canvas.dc(), 0, 0, kFill);
  EXPECT_EQ(canvas.ChangedOutside(0, 0, 0, 0), 0) << "a moved-from glyph draws nothing";
  second.Draw(canvas.dc(), 0, 0, kFill);
  EXPECT_TRUE(GlyphDrawnAt(canvas.dc(), 0, 0, reference, kFill));

  Glyph third;
  third = std::move(second);
  EXPECT_TRUE(second.Empty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(second.Width(), 0);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(third.Width(), reference.width);
  EXPECT_EQ(third.Height(), reference.height);
}

}  // namespace
