#include "app/downloader_app.h"

#include <windows.h>

#include "installer/downloader_dlg.h"

CDownloaderApp theApp;

namespace {

// Ends the process here and now, with no clean-up of any kind.
[[noreturn]] void EndProcessNow() {
  ::TerminateProcess(::GetCurrentProcess(), 0);
  ::ExitProcess(0);  // not reached: terminating the own process does not return
}

}  // namespace

BOOL CDownloaderApp::InitInstance() {
  CWinApp::InitInstance();
  SetRegistryKey(L"应用程序向导生成的本地应用程序");
  {
    CDownloaderDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // The window has closed, but a worker may still run: a download, which nothing can
    // interrupt while its connection stalls, or the thread that follows the package. Workers
    // use the window object (the bar, the paths, the flags) until they end, so the object
    // must outlive them, and waiting for them could last as long as the stall. So the process
    // ends before the object is destroyed, and the workers with it. TerminateProcess rather
    // than ExitProcess: it runs no DLL detach code and no C runtime clean-up, either of which
    // could wait forever for a lock that a worker held inside the moniker, WinINet or the C
    // runtime when it was stopped. Nothing is lost: the product key is written, the package
    // runs on its own, and the installer keeps nothing that needs flushing.
    if (dlg.WorkersRunning()) EndProcessNow();
  }
  return FALSE;
}
