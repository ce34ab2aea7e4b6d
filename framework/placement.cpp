#include "framework/placement.h"

PlacementPoint CenteredPosition(const PlacementRect& window, const PlacementRect& reference,
                                const PlacementRect& workArea) {
  int x = (reference.left + reference.right) / 2 - window.Width() / 2;
  int y = (reference.top + reference.bottom) / 2 - window.Height() / 2;
  if (x + window.Width() > workArea.right) x = workArea.right - window.Width();
  if (x < workArea.left) x = workArea.left;
  if (y + window.Height() > workArea.bottom) y = workArea.bottom - window.Height();
  if (y < workArea.top) y = workArea.top;
  return {x, y};
}
