#pragma once
// CWnd: a C++ object bound to one window. The binding is made when the object creates or
// subclasses the window and undone when the window is destroyed (WM_NCDESTROY), so a
// destroyed window never reaches a freed object and an object never holds a dead handle.

#include <windows.h>

#include <cassert>

#include "framework/message_map.h"
#include "framework/runtime_class.h"
#include "framework/types.h"

class CWnd : public CObject {
  DECLARE_DYNAMIC(CWnd)

public:
  CWnd() = default;
  // Destroys the window if it still exists. Not copyable: it owns the binding.
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The window, or null before creation and after destruction.
  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const noexcept { return m_hWnd; }

  // The object bound to `hWnd`, or null when none is.
  static CWnd* FromHandlePermanent(HWND hWnd) noexcept;

  // Creates a window of a registered class and binds this object to it: PreSubclassWindow
  // runs first, then the window's messages go to this object's message map. FALSE when the
  // window could not be created.
  BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                const RECT& rect, CWnd* pParentWnd, UINT nID);
  // Binds this object to an existing window (PreSubclassWindow, then subclassing).
  BOOL SubclassWindow(HWND hWnd);
  BOOL DestroyWindow();

  // Runs the window's default processing (the window class's own procedure) for the
  // message being handled now. Only meaningful inside a handler.
  LRESULT Default();

  // Window operations, each the Win32 call of the same name on m_hWnd. Without a window
  // (m_hWnd null) each one asserts in a debug build and makes no call, returning FALSE, 0,
  // an empty rectangle or an empty text: with a null handle several of these calls mean
  // something else (InvalidateRect repaints every window on the screen, GetDC gives the
  // screen's context, PostMessage posts to the thread, MapWindowPoints maps to the screen).
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  DWORD GetStyle() const {
    return HasWindow() ? static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)) : 0;
  }
  void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE) {
    if (HasWindow()) ::InvalidateRect(m_hWnd, lpRect, bErase);
  }
  void Invalidate(BOOL bErase = TRUE) { InvalidateRect(nullptr, bErase); }
  void UpdateWindow() {
    if (HasWindow()) ::UpdateWindow(m_hWnd);
  }
  BOOL ShowWindow(int nCmdShow) { return HasWindow() && ::ShowWindow(m_hWnd, nCmdShow); }
  BOOL IsWindowVisible() const { return HasWindow() && ::IsWindowVisible(m_hWnd); }
  BOOL EnableWindow(BOOL bEnable = TRUE) { return HasWindow() && ::EnableWindow(m_hWnd, bEnable); }
  BOOL IsIconic() const { return HasWindow() && ::IsIconic(m_hWnd); }
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) {
    if (HasWindow()) ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
  }
  void MoveWindow(const RECT& rect, BOOL bRepaint = TRUE) {
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bRepaint);
  }
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    const HWND insertAfter = pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr;
    return HasWindow() && ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, nFlags);
  }
  void GetClientRect(LPRECT lpRect) const {
    if (!HasWindow() || !::GetClientRect(m_hWnd, lpRect)) *lpRect = {};
  }
  void GetWindowRect(LPRECT lpRect) const {
    if (!HasWindow() || !::GetWindowRect(m_hWnd, lpRect)) *lpRect = {};
  }
  void ScreenToClient(LPRECT lpRect) const {
    if (HasWindow()) ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(lpRect), 2);
  }
  void ClientToScreen(LPRECT lpRect) const {
    if (HasWindow()) ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(lpRect), 2);
  }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return HasWindow() ? ::SendMessageW(m_hWnd, message, wParam, lParam) : 0;
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return HasWindow() && ::PostMessageW(m_hWnd, message, wParam, lParam);
  }
  void SetWindowText(LPCWSTR lpszString) {
    if (HasWindow()) ::SetWindowTextW(m_hWnd, lpszString);
  }
  // The one query that expects no window: a window not created yet has no text. (The edit
  // box's field is made at the frame's first paint; its owner may read it before.)
  CString GetWindowText() const;
  int GetDlgCtrlID() const { return HasWindow() ? ::GetDlgCtrlID(m_hWnd) : 0; }
  // The object bound to the child window with identifier `nID`, or null when there is no
  // such child or no object is bound to it.
  CWnd* GetDlgItem(int nID) const {
    return HasWindow() ? FromHandlePermanent(::GetDlgItem(m_hWnd, nID)) : nullptr;
  }
  HDC GetDC() { return HasWindow() ? ::GetDC(m_hWnd) : nullptr; }
  int ReleaseDC(HDC hDC) { return HasWindow() ? ::ReleaseDC(m_hWnd, hDC) : 0; }
  void SetFont(HFONT hFont, BOOL bRedraw = TRUE) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
  }

protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Called with the window bound but not yet subclassed: adjust styles here.
  virtual void PreSubclassWindow() {}
  // Handles one message: the message map, then reflection to a child, then Default.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Looks `message` up in the message maps; TRUE with *pResult when a handler ran.
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // A notification the parent received about this child (WM_DRAWITEM, WM_CTLCOLOR*):
  // TRUE with *pResult when this object handled it. By default the message is looked up
  // in this object's map as WM_REFLECT_BASE + message.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Called after the window is gone and the object unbound.
  virtual void PostNcDestroy() {}
  // Binds without subclassing: for windows whose procedure already reaches this object.
  void Attach(HWND hWnd);

  static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
  bool HasWindow() const noexcept {
    assert(m_hWnd && "a window operation on an object without a window");
    return m_hWnd != nullptr;
  }
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  void Unbind();

  struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  CurrentMessage m_current;
  WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, which Default calls
};
