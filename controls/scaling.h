#pragma once
// DPI scaling of sizes that are authored at 96 DPI. Portable: no Windows headers.

// The platform's MulDiv: value * numerator / denominator with a 64-bit product, rounded
// to the nearest integer with halves away from zero (negative values too). Like MulDiv,
// returns -1 when the denominator is 0 or the result does not fit in 32 bits.
int MulDivRound(int value, int numerator, int denominator);

// The DPI at which every size, position and font height is written down.
inline constexpr int kDesignDpi = 96;

// Scales one quantity authored at 96 DPI to `dpi`: MulDiv(value, dpi, 96).
inline int ScaleToDpi(int value, int dpi) { return MulDivRound(value, dpi, kDesignDpi); }

// The screen's logical DPI per axis.
struct ScreenDpi {
  int x = kDesignDpi;
  int y = kDesignDpi;
};

// Reads the screen's logical DPI now; 96 on an axis that cannot be read.
// Defined by the platform layer (screen_dpi.cpp).
ScreenDpi ReadScreenDpi();

// Scales quantities written at 96 DPI to one screen: H by its horizontal DPI (widths,
// x positions, font heights), V by its vertical DPI (heights, y positions). The layouts
// derive from it, so that each of their values names its axis.
class DpiScale {
public:
  explicit DpiScale(ScreenDpi dpi) : m_dpi(dpi) {}

  int H(int value) const { return ScaleToDpi(value, m_dpi.x); }
  int V(int value) const { return ScaleToDpi(value, m_dpi.y); }

private:
  ScreenDpi m_dpi;
};

// A DpiScale that reads the screen's DPI once, on first use, through `read`.
// A value object meant for the stack; tests pass their own reader.
class CDpiScaler {
public:
  using Reader = ScreenDpi (*)();

  explicit CDpiScaler(Reader read = &ReadScreenDpi) : m_read(read) {}

  int ScaleX(int value) { return Scale().H(value); }
  int ScaleY(int value) { return Scale().V(value); }

  bool initialised = false;
  int dpiX = kDesignDpi;
  int dpiY = kDesignDpi;

private:
  DpiScale Scale();

  Reader m_read;
};
