// The installer window's four screens and the switches between them. Each switch runs on
// the UI thread, in the order the screen's look depends on.
#include "installer/downloader_dlg.h"
#include "res/resource.h"

std::array<CWnd*, 8> CDownloaderDlg::ReadyControls() {
  return {&m_lblTitle,     &m_btnInstall, &m_lblInstallTo, &m_editInstallDir,
          &m_btnChangeDir, &m_chkAgree,   &m_lblAgree,     &m_lnkLicense};
}

std::array<CWnd*, 7> CDownloaderDlg::InstallingControls() {
  return {&m_lblSmallTitle, &m_lblFeature1,   &m_lblFeature2, &m_lblFeature3,
          &m_lblFeature4,   &m_lblInstalling, &m_progress};
}

void CDownloaderDlg::HideReadyControls() {
  for (CWnd* control : ReadyControls()) control->ShowWindow(SW_HIDE);
  Invalidate(TRUE);
}

void CDownloaderDlg::ShowInstallingControls(BOOL bShow) {
  for (CWnd* control : InstallingControls()) control->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
  Invalidate(TRUE);
}

void CDownloaderDlg::ShowInstallingScreen() {
  m_bInstallEnded = 0;
  SetBackgroundImage(IDB_PNG_BACKGROUND_INSTALLING);
  HideReadyControls();
  for (CWnd* control : InstallingControls()) control->ShowWindow(SW_SHOW);
  Invalidate(TRUE);
  SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(nullptr), 0);
}

void CDownloaderDlg::ShowFailedScreen() {
  m_bInstallEnded = 1;
  m_lblInstalling.ShowWindow(SW_HIDE);
  m_lblFailed.ShowWindow(SW_SHOW);
  m_lnkWebDownload.ShowWindow(SW_SHOW);
  m_lnkRetry.ShowWindow(SW_SHOW);
  Invalidate(TRUE);
}

void CDownloaderDlg::ShowFinishedScreen() {
  m_bInstallEnded = 1;
  SetBackgroundImage(IDB_PNG_BACKGROUND_FINISHED);
  SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(nullptr), 0);
  for (CWnd* control : InstallingControls()) control->ShowWindow(SW_HIDE);
  Invalidate(TRUE);
  CWnd* const finished[] = {&m_btnRun, &m_lblFinished, &m_lblSlogan, &m_lblSmallTitle};
  for (CWnd* control : finished) control->ShowWindow(SW_SHOW);
  Invalidate(TRUE);
}

void CDownloaderDlg::ClearFailedScreen() {
  m_lblFailed.ShowWindow(SW_HIDE);
  m_lnkWebDownload.ShowWindow(SW_HIDE);
  m_lnkRetry.ShowWindow(SW_HIDE);
  m_progress.m_nPos = 0;
  m_progress.Invalidate(TRUE);
}

LRESULT CDownloaderDlg::OnInstallFailed(WPARAM, LPARAM) {
  ShowFailedScreen();
  return 0;
}

LRESULT CDownloaderDlg::OnInstallFinished(WPARAM, LPARAM) {
  ShowFinishedScreen();
  return 0;
}
