#include "controls/edit_layout.h"

#include <algorithm>

#include "controls/scaling.h"

InnerField PlaceInnerField(int width, int height, int dpiX, int dpiY) {
  const DpiScale scale({dpiX, dpiY});
  const int insetX = scale.H(kInnerFieldInset);
  const int insetY = scale.V(kInnerFieldInset);
  const int fieldWidth = std::max(0, width - 2 * insetX);
  const int fieldHeight = std::max(0, height - 2 * insetY);
  return {{insetX, insetY, fieldWidth, fieldHeight}, fieldHeight};
}
