#include "browsing/glyph.h"

#include <utility>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Destination AND NOT source (the ternary raster operation DSna).
constexpr DWORD kAndNotSource = 0x00220326;

// Blits between a monochrome and a colour bitmap convert through the colour DC's text and
// background colours: a 0 bit is the text colour, a 1 bit the background colour; and a
// colour pixel equal to the background colour becomes a 1 bit.
void SetMonochromeColours(HDC dc, COLORREF zeroBits, COLORREF oneBits) {
  SetTextColor(dc, zeroBits);
  SetBkColor(dc, oneBits);
}

}  // namespace

Glyph::Glyph(const char* resourceName) {
  UniqueBitmap picture(LoadBitmapA(GetModuleHandleA(nullptr), resourceName));
  if (!picture) return;
  BITMAP info{};
  if (!GetObjectA(picture.Get(), sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return;
  const int width = info.bmWidth;
  const int height = info.bmHeight;

  const ScreenDC screen;
  const MemoryDC pictureDC(CreateCompatibleDC(screen.Get()));
  const MemoryDC maskDC(CreateCompatibleDC(screen.Get()));
  UniqueBitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
  if (!pictureDC || !maskDC || !mask) return;
  COLORREF transparent = 0;
  {
    const SelectedObject pictureSelection(pictureDC.Get(), picture.Get());
    const SelectedObject maskSelection(maskDC.Get(), mask.Get());
    transparent = GetPixel(pictureDC.Get(), 0, height - 1);
    SetBkColor(pictureDC.Get(), transparent);
    BitBlt(maskDC.Get(), 0, 0, width, height, pictureDC.Get(), 0, 0, SRCCOPY);
    // Black under the mask, so that the picture can later be ORed onto a filled background.
    SetMonochromeColours(pictureDC.Get(), kBlack, kWhite);
    BitBlt(pictureDC.Get(), 0, 0, width, height, maskDC.Get(), 0, 0, kAndNotSource);
  }
  image_ = std::move(picture);
  mask_ = std::move(mask);
  width_ = width;
  height_ = height;
  transparent_ = transparent;
}

Glyph::Glyph(Glyph&& other) noexcept
    : image_(std::move(other.image_)),
      mask_(std::move(other.mask_)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      transparent_(std::exchange(other.transparent_, 0)) {}

Glyph& Glyph::operator=(Glyph&& other) noexcept {
  if (this != &other) {
    image_ = std::move(other.image_);
    mask_ = std::move(other.mask_);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    transparent_ = std::exchange(other.transparent_, 0);
  }
  return *this;
}

void Glyph::Draw(HDC dc, int x, int y, COLORREF fill) const {
  if (Empty()) return;
  // Composed off screen and copied in one blit, so the destination's own colours and
  // selected objects are left alone and nothing flickers.
  const MemoryDC workDC(CreateCompatibleDC(dc));
  const MemoryDC pictureDC(CreateCompatibleDC(dc));
  const MemoryDC maskDC(CreateCompatibleDC(dc));
  const UniqueBitmap work(CreateCompatibleBitmap(dc, width_, height_));
  if (!workDC || !pictureDC || !maskDC || !work) return;
  const SelectedObject workSelection(workDC.Get(), work.Get());
  const SelectedObject pictureSelection(pictureDC.Get(), image_.Get());
  const SelectedObject maskSelection(maskDC.Get(), mask_.Get());

  const RECT area{0, 0, width_, height_};
  SetBkColor(workDC.Get(), fill);
  ExtTextOutA(workDC.Get(), 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  // Keep the fill where the mask is white, clear it to black under the picture, then OR
  // the picture (black where transparent) in.
  SetMonochromeColours(workDC.Get(), kBlack, kWhite);
  BitBlt(workDC.Get(), 0, 0, width_, height_, maskDC.Get(), 0, 0, SRCAND);
  BitBlt(workDC.Get(), 0, 0, width_, height_, pictureDC.Get(), 0, 0, SRCPAINT);
  BitBlt(dc, x, y, width_, height_, workDC.Get(), 0, 0, SRCCOPY);
}

void DrawItemGlyph(const Glyph& glyph, const OwnerDrawItem& item, int left) {
  glyph.Draw(item.dc, left, (item.rect.top + item.rect.bottom - glyph.Height()) / 2, item.background);
}
