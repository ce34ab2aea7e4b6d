#pragma once
// The one rectangle of the portable layout code: a place and a size in pixels. Portable: no
// Windows headers (CRect converts to and from it).

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  // From edges, the right and bottom ones exclusive, as a Windows RECT holds them.
  static constexpr PixelRect FromEdges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
  }
  constexpr int right() const { return x + width; }
  constexpr int bottom() const { return y + height; }
  // The right and bottom edges lie outside.
  constexpr bool Contains(int px, int py) const {
    return px >= x && px < right() && py >= y && py < bottom();
  }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
