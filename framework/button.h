#pragma once
// CButton and CStatic: the platform's button and static controls, bound to an object.
// Owner-drawn ones draw in DrawItem, which the parent's WM_DRAWITEM reaches by reflection.

#include "framework/wnd.h"

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)

public:
  // Creates a "BUTTON" window: caption, style, rectangle in the parent's client area.
  BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateEx(0, L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
  }
  // Draws an owner-drawn button; the context in the request stays the platform's.
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)

public:
  // Creates a "STATIC" window: text, style, rectangle in the parent's client area.
  BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF) {
    return CreateEx(0, L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
  }
  // Draws an owner-drawn static (SS_OWNERDRAW); the context stays the platform's.
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
