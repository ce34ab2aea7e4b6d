#pragma once
// CEdit: the platform's edit control, bound to an object.

#include "framework/wnd.h"

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)

public:
  // Creates an empty "EDIT" window: style, rectangle in the parent's client area, id.
  // FALSE when the window could not be created.
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateEx(0, L"EDIT", L"", dwStyle, rect, pParentWnd, nID);
  }
  // Shows every character as `ch` (0: as typed). Takes effect at the next paint.
  void SetPasswordChar(wchar_t ch) { SendMessage(EM_SETPASSWORDCHAR, ch); }
};
