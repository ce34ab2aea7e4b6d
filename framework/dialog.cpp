#include "framework/dialog.h"

#include "framework/placement.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

BOOL CDialog::Create(CWnd* pParentWnd) {
  m_pParentWnd = pParentWnd;
  m_bModal = false;
  return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                              pParentWnd ? pParentWnd->m_hWnd : nullptr, &DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal() {
  const HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
  const bool reenableOwner = owner && ::IsWindowEnabled(owner);
  if (reenableOwner) ::EnableWindow(owner, FALSE);

  m_bModal = true;
  m_bEndModal = false;
  m_nModalResult = -1;
  const HWND dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(m_nIDTemplate), owner, &DialogProc,
                                           reinterpret_cast<LPARAM>(this));
  if (dialog) {
    if (m_hWnd && !m_bEndModal && !IsWindowVisible()) ShowModal();
    MSG msg;
    while (m_hWnd && !m_bEndModal) {
      const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (!PreTranslateForTree(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  }

  // Hide first and give the owner back its input and activation before the dialog goes,
  // so that activation does not jump to another program.
  if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
  if (m_hWnd) DestroyWindow();
  m_bModal = false;
  return m_nModalResult;
}

void CDialog::ShowModal() {
  ShowWindow(SW_SHOWNORMAL);
  if (GetStyle() & DS_SETFOREGROUND) ::SetForegroundWindow(m_hWnd);
  UpdateWindow();
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  m_bEndModal = true;
  if (!m_bModal) DestroyWindow();
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
  return ::IsDialogMessageW(m_hWnd, pMsg);
}

// Messages for this dialog or one of its children go to its PreTranslateMessage.
BOOL CDialog::PreTranslateForTree(MSG* pMsg) {
  if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
  return PreTranslateMessage(pMsg);
}

void CDialog::CenterWindow() {
  CRect window;
  ::GetWindowRect(m_hWnd, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);

  CRect reference = monitor.rcWork;
  const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &reference);

  const PlacementPoint at = CenteredPosition(window.ToPixelRect(), reference.ToPixelRect(),
                                             CRect(monitor.rcWork).ToPixelRect());
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
  // Only WM_INITDIALOG is handled here: it binds the object, after which every message
  // reaches the message map first and this procedure only through Default.
  if (message != WM_INITDIALOG) return FALSE;
  auto* dialog = reinterpret_cast<CDialog*>(lParam);
  dialog->SubclassWindow(hWnd);

  RECT before;
  ::GetWindowRect(hWnd, &before);
  const BOOL result = dialog->OnInitDialog();
  RECT after;
  if (dialog->m_hWnd && ::GetWindowRect(hWnd, &after) && after.left == before.left &&
      after.top == before.top && !(dialog->GetStyle() & (WS_VISIBLE | WS_CHILD))) {
    dialog->CenterWindow();
  }
  return result;
}
