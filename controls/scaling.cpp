#include "controls/scaling.h"

#include <cstdint>
#include <limits>

int MulDivRound(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = std::int64_t{value} * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const std::int64_t half = divisor / 2;
  const std::int64_t quotient = (product >= 0 ? product + half : product - half) / divisor;
  if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
    return -1;
  return static_cast<int>(quotient);
}

DpiScale CDpiScaler::Scale() {
  if (!initialised) {
    const ScreenDpi dpi = m_read();
    dpiX = dpi.x;
    dpiY = dpi.y;
    initialised = true;
  }
  return DpiScale({dpiX, dpiY});
}
