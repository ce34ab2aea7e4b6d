#pragma once
// Where the framework puts a dialog that its initialisation did not move. Portable.

struct PlacementRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct PlacementPoint {
  int x = 0, y = 0;
  friend bool operator==(const PlacementPoint&, const PlacementPoint&) = default;
};

// Top-left corner that centres `window` over `reference` (the owner's window rectangle, or
// the work area when there is no visible owner), then moved as little as needed to lie
// inside `workArea`, its left and top edges winning when it is larger than the area.
PlacementPoint CenteredPosition(const PlacementRect& window, const PlacementRect& reference,
                                const PlacementRect& workArea);
