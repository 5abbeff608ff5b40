#include "tests/windows/glyph_pixels.h"

#include <cstdio>

ResourcePixels ReadResourcePixels(const char* name) {
  ResourcePixels result;
  const HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
  if (!bitmap) return result;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  result.width = info.bmWidth;
  result.height = info.bmHeight;
  for (int y = 0; y < result.height; ++y) {
    for (int x = 0; x < result.width; ++x) result.pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  return result;
}

::testing::AssertionResult GlyphDrawnAt(HDC dc, int x, int y, const ResourcePixels& picture, COLORREF fill) {
  if (picture.pixels.empty()) return ::testing::AssertionFailure() << "no reference picture";
  int wrong = 0;
  char first[128] = "";
  for (int row = 0; row < picture.height; ++row) {
    for (int column = 0; column < picture.width; ++column) {
      const COLORREF own = picture.At(column, row);
      const COLORREF expected = own == picture.BottomLeft() ? fill : own;
      const COLORREF actual = GetPixel(dc, x + column, y + row);
      if (actual == expected) continue;
      if (wrong++ == 0) {
        std::snprintf(first, sizeof first, "first at (%d, %d): %06lX instead of %06lX", column, row,
                      static_cast<unsigned long>(actual), static_cast<unsigned long>(expected));
      }
    }
  }
  if (wrong == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " pixels differ, " << first;
}
