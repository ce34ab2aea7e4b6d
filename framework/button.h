#pragma once
// CButton and CStatic: the platform's button and static controls, bound to an object.
// Owner-drawn ones draw in DrawItem, which the parent's WM_DRAWITEM reaches by reflection.

#include "framework/wnd.h"

// What CButton and CStatic share: the parent's WM_DRAWITEM about the control is handed to
// its DrawItem.
class COwnerDrawControl : public CWnd {
public:
  // Draws an owner-drawn control; the context in the request stays the platform's.
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CButton : public COwnerDrawControl {
  DECLARE_DYNAMIC(CButton)

public:
  // Creates a "BUTTON" window: caption, style, rectangle in the parent's client area.
  BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateEx(0, L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
  }
};

class CStatic : public COwnerDrawControl {
  DECLARE_DYNAMIC(CStatic)

public:
  // Creates a "STATIC" window: text, style, rectangle in the parent's client area. An
  // owner-drawn static has the style SS_OWNERDRAW.
  BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF) {
    return CreateEx(0, L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
  }
};
