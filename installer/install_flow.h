#pragma once
// The install flow's download thread. The rest of the flow is CDownloaderDlg's: the install
// and retry commands and the run step (install_flow.cpp), following the package
// (install_monitor.h).

// The download thread: `pParam` is the installer window. Downloads the package, then runs
// the run step with the outcome. Returns 0; with no window, at once.
unsigned __stdcall DownloadThreadProc(void* pParam);

// Attempts to start the thread that follows the package, one right after the other; when
// all fail, the Finished screen follows this many milliseconds later without following.
inline constexpr int kMonitorStartAttempts = 3;
inline constexpr unsigned kUnfollowedFinishDelayMs = 10;

// Taking hold of the downloaded package against writers: attempts while another program
// (a scanner reading the new file, say) keeps it from being held, this far apart. A
// conflict that outlasts them counts as a failed download.
inline constexpr int kHoldAttempts = 10;
inline constexpr unsigned kHoldRetryMs = 100;
