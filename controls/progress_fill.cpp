#include "controls/progress_fill.h"

#include <algorithm>

#include "controls/scaling.h"

ControlSize ProgressBarSize(unsigned trackWidth, unsigned trackHeight, int dpiX, int dpiY) {
  const DpiScale scale({dpiX, dpiY});
  return {scale.H(static_cast<int>(trackWidth)), scale.V(static_cast<int>(trackHeight))};
}

std::optional<FillExtent> ProgressFill(std::int64_t pos, std::int64_t lower, std::int64_t upper,
                                       unsigned fillWidth, float barWidth, float barHeight) {
  if (pos == 0 || upper <= lower) return std::nullopt;
  // Unsigned, so that even the widest range subtracts without overflow.
  const std::uint64_t span = static_cast<std::uint64_t>(upper) - static_cast<std::uint64_t>(lower);
  // Clamped, because converting an out-of-range double to int is undefined.
  const double ratio = std::clamp(static_cast<double>(pos) / static_cast<double>(span), 0.0, 1.0);
  return FillExtent{static_cast<int>(static_cast<double>(fillWidth) * ratio),
                    static_cast<int>(static_cast<double>(barWidth) * ratio),
                    static_cast<int>(barHeight)};
}
