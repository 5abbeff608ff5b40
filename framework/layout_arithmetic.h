#pragma once
// The arithmetic of placing windows: scaling a designed layout to the font's text height and
// centering a window on the screen. Plain numbers in and out, so it is tested natively.

// The text height that layouts are designed for.
inline constexpr int kDesignedTextHeight = 13;

// The layout is designed for a text height of designedTextHeight pixels: a position or size
// of value becomes value * textHeight / designedTextHeight rounded to the nearest integer,
// halves away from zero, as MulDiv rounds (and -1 where that overflows an int, as MulDiv
// answers). value itself when the heights are equal or designedTextHeight is 0.
int ScaleDesigned(int value, int textHeight, int designedTextHeight);

// One coordinate of the poScreenCenter rule: (screen extent - window extent) / 2, rounded
// toward zero, never less than the desktop's edge (which is negative when a screen lies to
// the left of or above the primary one).
int CenteredCoordinate(int screenExtent, int windowExtent, int desktopEdge);
