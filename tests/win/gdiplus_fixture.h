#pragma once
// Helpers shared by the Windows-side tests: GDI+ held for a test, and a 32-bit top-down
// memory surface whose pixels can be read back.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "controls/gdiplus_image.h"

class GdiplusTest : public ::testing::Test {
protected:
  gdip::StartupToken m_gdiplus;
};

// A memory device context over a 32-bit DIB section, filled with one colour.
class PixelSurface {
public:
  PixelSurface(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS,
                                  reinterpret_cast<void**>(&m_bits), nullptr, 0);
    m_old = ::SelectObject(m_dc, m_bitmap);
    Fill(fill);
  }
  ~PixelSurface() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
  }
  PixelSurface(const PixelSurface&) = delete;
  PixelSurface& operator=(const PixelSurface&) = delete;

  HDC dc() const { return m_dc; }

  void Fill(COLORREF colour) {
    const RECT all{0, 0, m_width, m_height};
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(m_dc, &all, brush);
    ::DeleteObject(brush);
  }

  // The pixel at (x, y) as a COLORREF (0x00BBGGRR).
  COLORREF At(int x, int y) const {
    ::GdiFlush();
    const std::uint32_t bgra = m_bits[y * m_width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

private:
  int m_width;
  int m_height;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  std::uint32_t* m_bits = nullptr;
};

// Colours compare within a small tolerance per channel (filtering, blending rounding).
inline ::testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance = 3) {
  const auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  for (int shift : {0, 8, 16}) {
    if (std::abs(channel(actual, shift) - channel(expected, shift)) > tolerance) {
      return ::testing::AssertionFailure()
             << "RGB(" << channel(actual, 0) << ", " << channel(actual, 8) << ", "
             << channel(actual, 16) << ") is not RGB(" << channel(expected, 0) << ", "
             << channel(expected, 8) << ", " << channel(expected, 16) << ")";
    }
  }
  return ::testing::AssertionSuccess();
}
