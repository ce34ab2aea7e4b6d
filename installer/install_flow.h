#pragma once
// The install flow's download thread. The rest of the flow is CDownloaderDlg's: the install
// and retry commands and the run step (install_flow.cpp), following the package
// (install_monitor.h).

// The download thread: `pParam` is the installer window. Downloads the package, then runs
// the run step with the outcome. Returns 0; with no window, at once.
unsigned __stdcall DownloadThreadProc(void* pParam);
