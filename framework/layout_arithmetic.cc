#include "framework/layout_arithmetic.h"

#include <algorithm>
#include <cstdint>
#include <limits>

int ScaleDesigned(int value, int textHeight, int designedTextHeight) {
  if (textHeight == designedTextHeight || designedTextHeight == 0) return value;
  // The product in 64 bits cannot overflow; half the divisor moves it to the nearest integer
  // before the division truncates toward zero.
  std::int64_t product = std::int64_t{value} * textHeight;
  std::int64_t divisor = designedTextHeight;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const std::int64_t half = divisor / 2;
  const std::int64_t scaled = (product < 0 ? product - half : product + half) / divisor;
  if (scaled > std::numeric_limits<int>::max() || scaled < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(scaled);
}

int CenteredCoordinate(int screenExtent, int windowExtent, int desktopEdge) {
  return std::max((screenExtent - windowExtent) / 2, desktopEdge);
}
