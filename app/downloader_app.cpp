#include "app/downloader_app.h"

#include "installer/downloader_dlg.h"

CDownloaderApp theApp;

BOOL CDownloaderApp::InitInstance() {
  CWinApp::InitInstance();
  SetRegistryKey(L"应用程序向导生成的本地应用程序");
  {
    CDownloaderDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
  }
  return FALSE;
}
