#include "framework/font.h"

#include "framework/exceptions.h"
#include "framework/texts.h"

TFont::TFont(int height, std::string face)
    : height_(height),
      face_(std::move(face)),
      handle_(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face_.c_str())) {
  if (!handle_) throw EOutOfResources(kCannotCreateFont);
}

int TFont::TextHeight() const {
  ScreenDC screen;
  if (!screen.Get()) return 0;
  SelectedObject selection(screen.Get(), handle_.Get());
  TEXTMETRICA metrics{};
  return GetTextMetricsA(screen.Get(), &metrics) ? static_cast<int>(metrics.tmHeight) : 0;
}

int TFont::TextWidth(std::string_view text) const {
  ScreenDC screen;
  if (!screen.Get()) return 0;
  SelectedObject selection(screen.Get(), handle_.Get());
  SIZE extent{};
  if (!GetTextExtentPoint32A(screen.Get(), text.data(), static_cast<int>(text.size()), &extent)) return 0;
  return static_cast<int>(extent.cx);
}

TFont CreateDefaultFont() { return TFont(DefaultFontHeight(ScreenPixelsPerInch()), DefaultFontFace()); }

int DefaultFontHeight(int pixelsPerInch) { return -MulDiv(8, pixelsPerInch, 72); }

std::string DefaultFontFace() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                    0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
    const RegistryKey key(opened);
    char face[LF_FACESIZE + 1] = {};
    DWORD size = LF_FACESIZE;
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), "MS Shell Dlg 2", nullptr, &type, reinterpret_cast<BYTE*>(face),
                         &size) == ERROR_SUCCESS &&
        type == REG_SZ && face[0] != '\0') {
      return face;
    }
  }
  return "MS Sans Serif";
}

int ScreenPixelsPerInch() {
  ScreenDC screen;
  return screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
}

