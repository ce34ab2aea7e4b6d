#pragma once
// The package download's one process-wide flag. The download itself is
// CDownloaderDlg::DownloadPackage (installer/download.cpp); its progress sink is
// CBindCallback (installer/bind_callback.h).

#include <atomic>

// Abort request, used as a Boolean: set by the close command on the UI thread once the user
// has confirmed, cleared by DownloadPackage right before each download, read by every
// progress notification on the download thread. Atomic: only its eventual visibility
// matters, and no thread ever waits for it.
extern std::atomic<int> g_bAbortDownload;
