#include "framework/owner_draw.h"

void DrawItemText(const OwnerDrawItem& item, std::string_view text) {
  TextOutA(item.dc, item.rect.left + kItemMargin, item.rect.top, text.data(), static_cast<int>(text.size()));
}
