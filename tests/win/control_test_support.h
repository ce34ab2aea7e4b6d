#pragma once
// Gestures and pixel read-back shared by the tests of the button-like controls.

#include <windows.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <initializer_list>

#include "gdiplus_fixture.h"
#include "window_test_support.h"

// How long a gesture's effect (hover, leave, click) may take to reach a control. A wait ends
// as soon as the effect arrives; the bound only has to outlast a machine so busy that the test
// program, or the timers behind hover tracking, are held back for seconds.
constexpr int kGestureWaitMs = 10000;

// Rests the real pointer a few pixels into `control` after a move inside it, which arms
// the control's hover tracking.
inline void HoverOver(const CWnd& control) {
  const POINT inside = ScreenPointIn(control, 3, 3);
  MouseMoveTo(inside.x - 1, inside.y);
  PumpFor(10);
  MouseMoveTo(inside.x, inside.y);
}

// Moves the real pointer to the host's far corner, away from every control under test.
inline void MovePointerAway(const CWnd& host) {
  CRect client;
  host.GetClientRect(&client);
  const POINT corner = ScreenPointIn(host, client.right - 5, client.bottom - 5);
  MouseMoveTo(corner.x, corner.y);
}

// Copies what `wnd` shows on the screen into `surface`, from the client area's corner.
inline void CaptureClient(const CWnd& wnd, const PixelSurface& surface, int width, int height) {
  const HDC screen = ::GetDC(wnd.m_hWnd);
  ::BitBlt(surface.dc(), 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ::ReleaseDC(wnd.m_hWnd, screen);
}

// The candidate nearest to `colour`, by the sum of squared channel differences.
inline COLORREF NearestColour(COLORREF colour, std::initializer_list<COLORREF> candidates) {
  const auto distance = [colour](COLORREF other) {
    int sum = 0;
    for (int shift : {0, 8, 16}) {
      const int d = static_cast<int>((colour >> shift) & 0xFF) - static_cast<int>((other >> shift) & 0xFF);
      sum += d * d;
    }
    return sum;
  };
  COLORREF best = *candidates.begin();
  for (COLORREF candidate : candidates) {
    if (distance(candidate) < distance(best)) best = candidate;
  }
  return best;
}

// The pixels of `area` for which `ink` holds: how many, and their bounding rectangle.
struct InkFound {
  int count = 0;
  CRect bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};  // right and bottom exclusive
};

inline InkFound FindInk(const PixelSurface& surface, const RECT& area,
                        const std::function<bool(COLORREF)>& ink) {
  InkFound found;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!ink(surface.At(x, y))) continue;
      ++found.count;
      found.bounds.left = std::min<LONG>(found.bounds.left, x);
      found.bounds.top = std::min<LONG>(found.bounds.top, y);
      found.bounds.right = std::max<LONG>(found.bounds.right, x + 1);
      found.bounds.bottom = std::max<LONG>(found.bounds.bottom, y + 1);
    }
  }
  return found;
}
