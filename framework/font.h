#pragma once
// Fonts and the layout scaling that follows the font's text height.

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/handles.h"
#include "framework/layout_arithmetic.h"  // the scaling, for the users of the text height

class TFont {
 public:
  // A font of height (negative: character height in pixels, as LOGFONT has it) and face.
  // Raises EOutOfResources when the system refuses it.
  TFont(int height, std::string face);

  HFONT Handle() const { return handle_.Get(); }
  int Height() const { return height_; }
  const std::string& Face() const { return face_; }

  // Height of a line of text in pixels (the text metrics' height on the screen).
  int TextHeight() const;
  // Width of text in pixels on the screen.
  int TextWidth(std::string_view text) const;

 private:
  int height_;
  std::string face_;
  UniqueFont handle_;
};

// The framework's default font: 8 points at the screen's resolution, in the face that
// DefaultFontFace gives.
TFont CreateDefaultFont();

// -MulDiv(8, pixelsPerInch, 72): the height of an 8-point font.
int DefaultFontHeight(int pixelsPerInch);

// The substitute face of "MS Shell Dlg 2" under HKEY_LOCAL_MACHINE
// "SOFTWARE\Microsoft\Windows NT\CurrentVersion\FontSubstitutes" when that key opens and
// the value is a non-empty text, else "MS Sans Serif". (Windows 9x's "Tahoma" rule does
// not apply: the program needs Windows NT.)
std::string DefaultFontFace();

// Logical pixels per inch of the screen, vertically.
int ScreenPixelsPerInch();

