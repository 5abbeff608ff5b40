#pragma once
// A small picture drawn before a list or combo box item: a bitmap resource of the program
// whose bottom-left pixel gives the transparent colour. The glyph owns its bitmaps and frees
// them when it goes; a control that shows glyphs owns its Glyph objects.

#include <windows.h>

#include "framework/handles.h"

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;

class Glyph {
 public:
  // An empty glyph: no size, draws nothing.
  Glyph() = default;
  // Loads the bitmap resource resourceName from the program's module (LoadBitmapA). A
  // resource that cannot be loaded gives an empty glyph, as a picture that is merely
  // missing should not stop a control from being made.
  explicit Glyph(const char* resourceName);
  Glyph(const Glyph&) = delete;
  Glyph& operator=(const Glyph&) = delete;
  // The moved-from glyph is left empty.
  Glyph(Glyph&& other) noexcept;
  Glyph& operator=(Glyph&& other) noexcept;

  bool Empty() const { return !image_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The colour of the bitmap's bottom-left pixel, which is drawn transparent.
  COLORREF TransparentColour() const { return transparent_; }

  // Draws the glyph with its top-left corner at (x, y) of dc. Every pixel of the
  // transparent colour is drawn in fill instead; the others in their own colour.
  void Draw(HDC dc, int x, int y, COLORREF fill) const;

 private:
  // The picture with its transparent pixels turned black, and a monochrome mask that is
  // white where the picture is transparent; both made once at loading.
  UniqueBitmap image_;
  UniqueBitmap mask_;
  int width_ = 0;
  int height_ = 0;
  COLORREF transparent_ = 0;
};
