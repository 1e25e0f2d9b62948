#pragma once
// Where the wizard window goes: centred on its reference rectangle (its owner, or the work area
// of the monitor under the cursor) and pushed inside the work area, the top-left corner winning
// when the window is larger.

namespace stubframework::htmlui {

struct Rect {
  long left = 0, top = 0, right = 0, bottom = 0;
  long width() const { return right - left; }
  long height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

// A size in 96-dpi units at the screen's dpi (truncating).
long ScaleForDpi(long value, int dpi);

Rect PlaceWithin(long outerWidth, long outerHeight, const Rect& reference, const Rect& workArea);

}  // namespace stubframework::htmlui
