// The installer window's four screens and the switches between them. Each switch runs on
// the UI thread, in the order the screen's look depends on; which controls each screen
// shows, and its background, come from the screen table.
#include "installer/downloader_dlg.h"
#include "installer/screen_table.h"

void CDownloaderDlg::ShowControls(std::span<const unsigned> ids, int nCmdShow) {
  for (unsigned id : ids)
    if (CWnd* control = GetDlgItem(static_cast<int>(id))) control->ShowWindow(nCmdShow);
}

void CDownloaderDlg::HideReadyControls() {
  ShowControls(LookOf(Screen::Ready).controls, SW_HIDE);
  Invalidate(TRUE);
}

void CDownloaderDlg::ShowInstallingControls(BOOL bShow) {
  ShowControls(LookOf(Screen::Installing).controls, bShow ? SW_SHOW : SW_HIDE);
  Invalidate(TRUE);
}

void CDownloaderDlg::ShowInstallingScreen() {
  m_bInstallEnded = 0;
  SetBackgroundImage(LookOf(Screen::Installing).background);
  HideReadyControls();
  ShowInstallingControls(TRUE);
  SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(nullptr), 0);
}

void CDownloaderDlg::ShowFailedScreen() {
  m_bInstallEnded = 1;
  ShowControls(ControlsOnlyOn(Screen::Installing, Screen::Failed), SW_HIDE);
  ShowControls(ControlsOnlyOn(Screen::Failed, Screen::Installing), SW_SHOW);
  Invalidate(TRUE);
}

void CDownloaderDlg::ShowFinishedScreen() {
  m_bInstallEnded = 1;
  SetBackgroundImage(LookOf(Screen::Finished).background);
  SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(nullptr), 0);
  ShowInstallingControls(FALSE);
  ShowControls(LookOf(Screen::Finished).controls, SW_SHOW);
  Invalidate(TRUE);
}

void CDownloaderDlg::ClearFailedScreen() {
  ShowControls(ControlsOnlyOn(Screen::Failed, Screen::Installing), SW_HIDE);
  m_progress.Reset();
}

LRESULT CDownloaderDlg::OnInstallFailed(WPARAM, LPARAM) {
  ShowFailedScreen();
  return 0;
}

LRESULT CDownloaderDlg::OnInstallFinished(WPARAM, LPARAM) {
  ShowFinishedScreen();
  return 0;
}
