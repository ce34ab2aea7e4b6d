#pragma once
// Value types of the framework: points, sizes, rectangles and the string type.

#include <windows.h>

#include <string>

#include "framework/pixel_rect.h"

struct CPoint : POINT {
  CPoint() noexcept : POINT{0, 0} {}
  CPoint(int x0, int y0) noexcept : POINT{x0, y0} {}
  // From a mouse message's LPARAM: x in the low word, y in the high word, both signed.
  explicit CPoint(LPARAM lParam) noexcept
      : POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))} {}
};

struct CSize : SIZE {
  CSize() noexcept : SIZE{0, 0} {}
  CSize(int cx0, int cy0) noexcept : SIZE{cx0, cy0} {}
};

struct CRect : RECT {
  CRect() noexcept : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) noexcept : RECT{l, t, r, b} {}
  CRect(const RECT& r) noexcept : RECT(r) {}
  // The portable layout's rectangles, each way.
  explicit CRect(const PixelRect& r) noexcept : RECT{r.x, r.y, r.right(), r.bottom()} {}
  PixelRect ToPixelRect() const noexcept { return PixelRect::FromEdges(left, top, right, bottom); }
  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
  CPoint TopLeft() const noexcept { return {left, top}; }
  friend bool operator==(const CRect& a, const CRect& b) noexcept {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

// The framework's string: UTF-16 text that converts to a C string for Win32 calls.
class CString {
public:
  CString() = default;
  CString(const wchar_t* text) : m_text(text ? text : L"") {}
  CString(std::wstring text) : m_text(std::move(text)) {}

  operator const wchar_t*() const noexcept { return m_text.c_str(); }
  const wchar_t* GetString() const noexcept { return m_text.c_str(); }
  int GetLength() const noexcept { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const noexcept { return m_text.empty(); }
  const std::wstring& str() const noexcept { return m_text; }

  friend bool operator==(const CString&, const CString&) = default;

private:
  std::wstring m_text;
};
