#pragma once
// Owner drawing of list and combo box items in one fixed order: guard the control type;
// read selected and focused from the item state once; select the control's font, set the
// colours and fill the rectangle (highlight for a selected item, else the window colour);
// let the control draw the item (not for itemID -1, the empty list or selection field);
// draw the focus rectangle when the item has the focus.

#include <windows.h>

#include <string_view>

#include "framework/handles.h"

// One item as the control's DrawItem receives it: the rectangle is already filled with
// background and the device context has the control's font and the text colour selected.
struct OwnerDrawItem {
  HDC dc;
  RECT rect;
  int index;
  bool selected;
  bool focused;
  COLORREF background;
};

// Where an item's parts stand, in pixels: plain text, or a glyph before the text, starts
// kItemMargin from the item's left edge; text after a glyph keeps kGlyphTextGap from it.
inline constexpr int kItemMargin = 2;
inline constexpr int kGlyphTextGap = 4;

// Draws text at (left + kItemMargin, top) of the item, the items' plain look.
void DrawItemText(const OwnerDrawItem& item, std::string_view text);

template <typename DrawBody>
void PaintOwnerDrawnItem(const DRAWITEMSTRUCT& request, UINT controlType, HFONT font, DrawBody&& drawItem) {
  if (request.CtlType != controlType) return;
  const bool selected = (request.itemState & ODS_SELECTED) != 0;
  const bool focused = (request.itemState & ODS_FOCUS) != 0;
  const int fillColour = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
  const SelectedObject fontSelection(request.hDC, font);
  const COLORREF background = GetSysColor(fillColour);
  SetBkColor(request.hDC, background);
  SetTextColor(request.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  FillRect(request.hDC, &request.rcItem, GetSysColorBrush(fillColour));
  if (request.itemID != static_cast<UINT>(-1)) {
    drawItem(OwnerDrawItem{request.hDC, request.rcItem, static_cast<int>(request.itemID), selected, focused,
                           background});
  }
  if (focused) DrawFocusRect(request.hDC, &request.rcItem);
}
