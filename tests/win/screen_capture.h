#pragma once
// Reading back what real windows show: repaint a window tree now, copy a client area.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/afxwin.h"
#include "gdiplus_fixture.h"

// Invalidates `wnd` and all its children and paints them before returning.
inline void RepaintNow(const CWnd& wnd) {
  ::RedrawWindow(wnd.m_hWnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// What `wnd`'s client area shows now, pixel for pixel.
inline std::unique_ptr<PixelSurface> CaptureClient(const CWnd& wnd) {
  RECT client;
  ::GetClientRect(wnd.m_hWnd, &client);
  auto surface = std::make_unique<PixelSurface>(client.right, client.bottom, RGB(0, 0, 255));
  const HDC dc = ::GetDC(wnd.m_hWnd);
  ::BitBlt(surface->dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(wnd.m_hWnd, dc);
  return surface;
}

// The darkest pixel of a surface's rectangle (by the sum of its channels): the ink of text.
inline COLORREF DarkestIn(const PixelSurface& surface, const RECT& area) {
  COLORREF darkest = RGB(255, 255, 255);
  const auto sum = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (sum(surface.At(x, y)) < sum(darkest)) darkest = surface.At(x, y);
  return darkest;
}

// Keeps what `wnd` shows as BUILD/test-artifacts/NAME-dpiN.bmp, for people to look at. Tests
// call it at the moments worth seeing; nothing is checked here.
inline void KeepScreenshot(const CWnd& wnd, const char* name) {
  RepaintNow(wnd);
  const auto surface = CaptureClient(wnd);
  RECT client;
  ::GetClientRect(wnd.m_hWnd, &client);
  const int width = client.right, height = client.bottom, row = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(row * height);
  std::string pixels(static_cast<std::size_t>(row * height), '\0');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = surface->At(x, y);
      char* p = &pixels[static_cast<std::size_t>((height - 1 - y) * row + x * 3)];
      p[0] = static_cast<char>(GetBValue(c));
      p[1] = static_cast<char>(GetGValue(c));
      p[2] = static_cast<char>(GetRValue(c));
    }
  }
  const char* dpi = std::getenv("INKVANE_DPI");
  ::CreateDirectoryA("test-artifacts", nullptr);
  const std::string path = std::string("test-artifacts\\") + name + "-dpi" + (dpi ? dpi : "96") + ".bmp";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
  }
}
