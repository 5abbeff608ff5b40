#pragma once
// The pixels of a bitmap resource read straight from LoadBitmapA, as an independent
// reference for what a glyph must look like once drawn.

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

struct ResourcePixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row by row from the top

  COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  COLORREF BottomLeft() const { return At(0, height - 1); }
};

// Empty (no pixels) when the resource cannot be loaded.
ResourcePixels ReadResourcePixels(const char* name);

// Success when every pixel of the rectangle at (x, y) of dc shows picture: its own colour,
// or fill where picture has its bottom-left pixel's colour.
::testing::AssertionResult GlyphDrawnAt(HDC dc, int x, int y, const ResourcePixels& picture, COLORREF fill);
