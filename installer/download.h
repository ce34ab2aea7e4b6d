#pragma once
// The package download's one process-wide flag. The download itself is
// CDownloaderDlg::DownloadPackage (installer/download.cpp); its progress sink is
// CBindCallback (installer/bind_callback.h).

#include <atomic>
#include <string>

// Abort request, used as a Boolean: set by the close command on the UI thread once the user
// has confirmed, cleared by DownloadPackage right before each download, read by every
// progress notification on the download thread. Atomic: only its eventual visibility
// matters, and no thread ever waits for it.
extern std::atomic<int> g_bAbortDownload;

// Removes what a failed download left at `path`, clearing its read-only attribute first.
// Waits up to two seconds while another program holds the file. True when no file is left
// there.
bool RemovePartialPackage(const std::wstring& path);
