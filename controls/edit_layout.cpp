#include "controls/edit_layout.h"

#include <algorithm>

#include "controls/scaling.h"

InnerFieldPlacement PlaceInnerField(int width, int height, int dpiX, int dpiY) {
  const int insetX = ScaleToDpi(kInnerFieldInset, dpiX);
  const int insetY = ScaleToDpi(kInnerFieldInset, dpiY);
  const int right = std::max(insetX, width - insetX);
  const int bottom = std::max(insetY, height - insetY);
  return {insetX, insetY, right, bottom, bottom - insetY};
}
