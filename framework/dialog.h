#pragma once
// CDialog: a dialog made from a template in the program's resources, run modally by its own
// message loop or created modeless. The template's controls (if any) are the platform's;
// the dialog's messages go through its message map.

#include "framework/wnd.h"

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

public:
  // Names the template and the owner; creates no window.
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr) noexcept
      : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

  // Creates the dialog, disables its owner, and runs a message loop until EndDialog (OK,
  // Cancel, WM_CLOSE, or a handler) or until the window is destroyed; re-enables the owner,
  // destroys the window and returns EndDialog's result (-1 when the window never existed).
  // A dialog still hidden after OnInitDialog (its template is not WS_VISIBLE) is shown and
  // activated before the loop starts, and brought to the foreground when its style then
  // holds DS_SETFOREGROUND. A WM_QUIT that arrives meanwhile ends the loop and is posted
  // again for the caller.
  virtual INT_PTR DoModal();
  // Creates the dialog modeless, visible as its template says. FALSE on failure.
  BOOL Create(CWnd* pParentWnd = nullptr);
  // Ends the modal loop with `nResult` (a modeless dialog is destroyed).
  void EndDialog(int nResult);

  // Called once the window exists, before it is shown; return TRUE to let the platform set
  // the focus. A dialog this does not move is centred over its owner, or in the work area.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Every message of the modal loop for this dialog and its children passes here first;
  // TRUE drops it. The default hands keyboard input to the dialog manager (Tab, Enter, Esc).
  virtual BOOL PreTranslateMessage(MSG* pMsg);

protected:
  // Enter and Esc (through the dialog manager) and WM_CLOSE end the dialog here.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  DECLARE_MESSAGE_MAP()

private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  void CenterWindow();
  void ShowModal();
  BOOL PreTranslateForTree(MSG* pMsg);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  bool m_bModal = false;
  bool m_bEndModal = false;
  INT_PTR m_nModalResult = -1;
};
