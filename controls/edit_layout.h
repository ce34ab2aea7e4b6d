#pragma once
// Where the edit box puts its text field. Portable: no Windows headers.

#include "framework/pixel_rect.h"

// The inner text field in the frame's client coordinates, and the cell height of its font,
// which is the field's own height so that the text fills the field.
struct InnerField {
  PixelRect rect;
  int fontHeight = 0;
  friend bool operator==(const InnerField&, const InnerField&) = default;
};

// Inset of the field from the frame's edges at 96 DPI, on every side.
inline constexpr int kInnerFieldInset = 5;

// The field inside a frame whose client area is width x height: inset by 5 scaled by dpiX
// on the left and right and by 5 scaled by dpiY at the top and bottom. A frame too small
// for the insets gives an empty field (never a negative size, which a negative font
// height would turn into a differently measured font).
InnerField PlaceInnerField(int width, int height, int dpiX, int dpiY);
