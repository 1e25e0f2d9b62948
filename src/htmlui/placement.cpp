#include "htmlui/placement.h"

#include <algorithm>

namespace stubframework::htmlui {

long ScaleForDpi(long value, int dpi) { return value * dpi / 96; }

Rect PlaceWithin(long w, long h, const Rect& reference, const Rect& work) {
  long right = std::min((reference.left + reference.right + w) / 2, work.right);
  long x = std::max(right - w, work.left);
  long bottom = std::min((reference.top + reference.bottom + h) / 2, work.bottom);
  long y = std::max(bottom - h, work.top);
  return {x, y, x + w, y + h};
}

}  // namespace stubframework::htmlui
