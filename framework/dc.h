#pragma once
// Device contexts. CDC either borrows a context that someone else owns (constructed from a
// handle: never deleted here) or owns a memory context it created (deleted with it).
// CPaintDC and CClientDC hold a window's context for one scope.

#include <windows.h>

#include "framework/types.h"

class CWnd;

class CDC {
public:
  CDC() = default;
  // Borrows `hDC`: the caller keeps owning it.
  explicit CDC(HDC hDC) noexcept : m_hDC(hDC) {}
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;
  HDC GetSafeHdc() const noexcept { return m_hDC; }

  // Creates a memory context compatible with `pDC` (or the screen), owned by this object.
  BOOL CreateCompatibleDC(const CDC* pDC);
  BOOL DeleteDC();

  HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
  COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
  COLORREF SetBkColor(COLORREF colour) { return ::SetBkColor(m_hDC, colour); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  // Fills `rect` with `colour` the way the framework does: an opaque empty text-out in the
  // background colour (which stays set afterwards).
  void FillSolidRect(const RECT& rect, COLORREF colour);
  BOOL TextOut(int x, int y, const CString& text) {
    return ::TextOutW(m_hDC, x, y, text, text.GetLength());
  }
  int DrawText(const CString& text, RECT* rect, UINT format) {
    return ::DrawTextW(m_hDC, text, text.GetLength(), rect, format);
  }
  CSize GetTextExtent(const CString& text) const;
  BOOL BitBlt(int x, int y, int width, int height, const CDC* source, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source->m_hDC, xSrc, ySrc, rop);
  }

private:
  bool m_owned = false;
};

// Selects a GDI object into a context for one scope, then selects back the object it
// replaced: the context is left as it was found, and the object is free to be deleted (one
// still selected cannot be). A null object is not selected, and nothing is restored.
class CSelectGuard {
public:
  CSelectGuard(CDC& dc, HGDIOBJ object) noexcept
      : m_hDC(dc.m_hDC), m_hPrevious(object ? ::SelectObject(m_hDC, object) : nullptr) {}
  ~CSelectGuard() {
    if (m_hPrevious) ::SelectObject(m_hDC, m_hPrevious);
  }
  CSelectGuard(const CSelectGuard&) = delete;
  CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
  HDC m_hDC;
  HGDIOBJ m_hPrevious;
};

// The context of one paint cycle: BeginPaint on construction, EndPaint on destruction.
// Without a window there is no context (m_hDC stays null).
class CPaintDC : public CDC {
public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  PAINTSTRUCT m_ps{};

private:
  HWND m_hWnd;
};

// A window's client-area context for one scope: GetDC on construction, ReleaseDC after.
// Without a window there is no context: a null window would give the whole screen's.
class CClientDC : public CDC {
public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

private:
  HWND m_hWnd;
};
