#pragma once
// Where the edit box puts its text field. Portable: no Windows headers.

// The inner text field: a rectangle in the frame's client coordinates, and the cell height
// of its font, which is the field's own height so that the text fills the field.
struct InnerFieldPlacement {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int fontHeight = 0;
  friend bool operator==(const InnerFieldPlacement&, const InnerFieldPlacement&) = default;
};

// Inset of the field from the frame's edges at 96 DPI, on every side.
inline constexpr int kInnerFieldInset = 5;

// The field inside a frame whose client area is width x height: inset by 5 scaled by dpiX
// on the left and right and by 5 scaled by dpiY at the top and bottom. A frame too small
// for the insets gives an empty field (never a negative size, which a negative font
// height would turn into a differently measured font).
InnerFieldPlacement PlaceInnerField(int width, int height, int dpiX, int dpiY);
