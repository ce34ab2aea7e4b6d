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

// Scales values by the screen DPI, reading the DPI once, on first use, through `read`.
// A value object meant for the stack; tests pass their own reader.
class CDpiScaler {
public:
  using Reader = ScreenDpi (*)();

  explicit CDpiScaler(Reader read = &ReadScreenDpi) : m_read(read) {}

  int ScaleX(int value) { Initialise(); return ScaleToDpi(value, dpiX); }
  int ScaleY(int value) { Initialise(); return ScaleToDpi(value, dpiY); }

  bool initialised = false;
  int dpiX = kDesignDpi;
  int dpiY = kDesignDpi;

private:
  void Initialise();

  Reader m_read;
};
