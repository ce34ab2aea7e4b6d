#pragma once
// Where the framework puts a dialog that its initialisation did not move. Portable.

#include "framework/pixel_rect.h"

struct PlacementPoint {
  int x = 0, y = 0;
  friend bool operator==(const PlacementPoint&, const PlacementPoint&) = default;
};

// Top-left corner that centres `window` over `reference` (the owner's window rectangle, or
// the work area when there is no visible owner), then moved as little as needed to lie
// inside `workArea`, its left and top edges winning when it is larger than the area.
PlacementPoint CenteredPosition(const PixelRect& window, const PixelRect& reference,
                                const PixelRect& workArea);
