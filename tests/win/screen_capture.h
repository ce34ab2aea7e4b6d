#pragma once
// Reading back what real windows show: repaint a window tree now, copy a client area.

#include <windows.h>

#include <memory>

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
