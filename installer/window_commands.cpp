// The window's own commands: close (or abort), the web-download and licence links, the
// agreement box, run, and the keyboard filter. The install, retry and change-folder commands
// live with the flow and the install location.
//
// What the links and the run button start runs as the desktop's user, started by the
// desktop's Explorer (win32/desktop_shell.h), never by this elevated process; when Explorer
// cannot be asked, nothing starts.
#include "installer/downloader_dlg.h"

#include "controls/message_box.h"
#include "installer/download.h"
#include "installer/key_filter.h"
#include "installer/launcher_path.h"
#include "installer/vendor_origin.h"
#include "installer/vendor_pages.h"
#include "win32/desktop_shell.h"

void CDownloaderDlg::OnBtnClose() {
  if (!m_bInstallEnded) {
    CMessageBoxEx question(L"您确定中止安装吗？", 1, this);
    question.DoModal();
    if (question.m_nResult != 1) return;
    // A running download stops at its next progress report; the process ends with the
    // window in any case.
    g_bAbortDownload = 1;
  }
  SendMessage(WM_CLOSE);
}

void CDownloaderDlg::OnLinkWebDownload() {
  // The installer ends only once a browser has been asked to show the page; without one the
  // user can still retry. Explorer's answer only says that it took the request, so the shell
  // must also know a program for web addresses.
  const bool browserKnown = ProtocolHasOpenCommand(L"https");
  const DesktopOpenResult opened =
      OpenAsDesktopUser(VendorHomePage(VendorOrigin()).c_str(), nullptr);
  if (browserKnown && opened.outcome == DesktopOpenOutcome::kRequestTaken) SendMessage(WM_CLOSE);
}

void CDownloaderDlg::OnLinkLicense() {
  OpenAsDesktopUser(VendorLicensePage(VendorOrigin()).c_str(), nullptr);
}

void CDownloaderDlg::OnChkAgree() {
  const bool agreed = !m_chkAgree.m_bChecked;
  m_chkAgree.SetChecked(agreed);
  // A disabled install button ignores the mouse, so no install can start without agreement.
  m_btnInstall.SetEnabled(agreed);
}

void CDownloaderDlg::OnBtnRun() {
  // In the install folder, as a shortcut to the launcher would start it.
  if (const auto launcher = LauncherPath(m_szInstallDir))
    OpenAsDesktopUser(launcher->c_str(), m_szInstallDir);
  SendMessage(WM_CLOSE);
}

BOOL CDownloaderDlg::PreTranslateMessage(MSG* pMsg) {
  // A key press goes to the window with the focus (installer/key_filter.h says which are
  // dropped where).
  static_assert(kKeyEscape == VK_ESCAPE && kKeyReturn == VK_RETURN && kKeySpace == VK_SPACE);
  const bool inFolderField = pMsg->hwnd && pMsg->hwnd == m_editInstallDir.m_edit.m_hWnd;
  if (pMsg->message == WM_KEYDOWN &&
      DropsKeyPress(static_cast<unsigned>(pMsg->wParam), inFolderField))
    return TRUE;
  return CDialog::PreTranslateMessage(pMsg);
}
