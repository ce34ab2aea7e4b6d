#include "framework/placement.h"

PlacementPoint CenteredPosition(const PixelRect& window, const PixelRect& reference,
                                const PixelRect& workArea) {
  int x = (reference.x + reference.right()) / 2 - window.width / 2;
  int y = (reference.y + reference.bottom()) / 2 - window.height / 2;
  if (x + window.width > workArea.right()) x = workArea.right() - window.width;
  if (x < workArea.x) x = workArea.x;
  if (y + window.height > workArea.bottom()) y = workArea.bottom() - window.height;
  if (y < workArea.y) y = workArea.y;
  return {x, y};
}
