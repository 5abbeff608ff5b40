#pragma once
// A small picture drawn before a list or combo box item: a bitmap resource of the program
// whose bottom-left pixel gives the transparent colour. The glyph owns its bitmaps and frees
// them when it goes; a control that shows glyphs owns its Glyph objects.

#include <windows.h>

#include <functional>
#include <utility>

#include "framework/handles.h"
#include "framework/owner_draw.h"

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

// The width an item's text leaves for a glyph that is missing.
inline constexpr int kDefaultGlyphWidth = 16;

// Draws glyph in item with its left edge at left, vertically centred (the division rounding
// toward zero), its transparent pixels in the item's background.
void DrawItemGlyph(const Glyph& glyph, const OwnerDrawItem& item, int left);

// A control's glyphs, loaded the first time they are needed and never again. The loading
// is the control's virtual LoadGlyphs, so that a subclass's replacement is the one that
// runs, which a call from the control's constructor would not reach.
class GlyphsLoadedOnce {
 public:
  explicit GlyphsLoadedOnce(std::function<void()> load) : load_(std::move(load)) {}
  void Ensure() {
    if (loaded_) return;
    loaded_ = true;
    load_();
  }

 private:
  std::function<void()> load_;
  bool loaded_ = false;
};
