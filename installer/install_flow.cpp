// The install flow: the install and retry commands on the UI thread, the download thread,
// and the run step that starts the downloaded package and the thread that follows it.
//
// Threads: the UI thread owns the window. The workers (download, monitor) write only the
// shared atomics (the bar's position, m_bInstallEnded), invalidate the bar, and post the
// screen switches to the UI thread, which runs them in their fixed order (screens.cpp).
#include "installer/install_flow.h"

#include <windows.h>
#include <process.h>
#include <shellapi.h>

#include "controls/message_box.h"
#include "installer/com_apartment.h"
#include "installer/downloader_dlg.h"
#include "installer/install_location_rules.h"
#include "installer/install_monitor.h"
#include "installer/install_progress.h"
#include "installer/messages.h"
#include "installer/package_signature.h"
#include "installer/publisher_rules.h"
#include "installer/vendor_origin.h"

namespace {

// The longest the run step waits for the install command to write the product key. The
// command does so right after starting the download thread, so the wait is only ever long
// when the UI thread was not scheduled for that long.
constexpr DWORD kLocationSavedWaitMs = 10'000;

// The downloaded package, open for reading with reading the only access shared: while the
// hold lasts no other program can write, rename or delete the file, and it can still be
// started. The installer runs with administrator rights and starts this file from a folder
// at the root of a drive, where other users can often create or replace files; the hold
// keeps the file as it is from here until its process has started, so the publisher check,
// which reads the file through the hold's handle, judges what starts.
class PackageHold {
public:
  explicit PackageHold(const std::wstring& path) {
    for (int attempt = 1;; ++attempt) {
      m_file = AdoptHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (m_file || attempt == kHoldAttempts) return;
      // Another program has the new file open in a way that excludes the hold: a scanner
      // reading it lets go soon; anything else (no such file) will not change.
      const DWORD error = ::GetLastError();
      if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return;
      ::Sleep(kHoldRetryMs);
    }
  }
  bool Held() const { return m_file != nullptr; }
  HANDLE get() const { return m_file.get(); }

private:
  UniqueHandle m_file;
};

}  // namespace

void CDownloaderDlg::OnBtnInstall() {
  const LocationRefusal refusal = CheckInstallFolder(
      ReadInstallFolder().str(), [this] { return GetInstallDriveType(); },
      [this] { return CheckDiskSpace() != FALSE; });
  if (refusal != LocationRefusal::None) {
    // A notice with one button: whatever the user does with it, the screen stays as it is.
    CMessageBoxEx notice(NoticeFor(refusal), 0, this);
    notice.DoModal();
    return;
  }
  StartInstall();
}

void CDownloaderDlg::StartInstall() {
  ShowInstallingScreen();  // clears m_bInstallEnded first
  ::ResetEvent(m_locationSaved.get());
  if (!StartWorker(&DownloadThreadProc)) {
    ::SetEvent(m_locationSaved.get());
    RunPackage(FALSE);  // the Failed screen; the product key is left as it was
    return;
  }
  // The download is under way; the package reads its folder from here once it starts.
  SaveInstallDirToRegistry();
  ::SetEvent(m_locationSaved.get());
}

void CDownloaderDlg::OnBtnRetry() {
  ClearFailedScreen();
  OnBtnInstall();
}

unsigned __stdcall DownloadThreadProc(void* pParam) {
  auto* const dlg = static_cast<CDownloaderDlg*>(pParam);
  if (!dlg) return 0;
  const CDownloaderDlg::WorkerRun run(*dlg);
  bool givenUp = false;
  const BOOL downloaded = dlg->DownloadPackage(&givenUp);
  // A download given up for a stall has shown its failure already; the window may be on a
  // retry's download by now.
  if (!givenUp) dlg->RunPackage(downloaded);
  return 0;
}

void CDownloaderDlg::RunPackage(BOOL bDownloaded) {
  if (bDownloaded) {
    // Held until the run step ends, on every way out of this block: a retry downloads to the
    // same file again.
    const PackageHold hold(m_strPackagePath);
    if (hold.Held() && PackageFromPublisher(hold.get()) && StartPackage()) {
      for (int attempt = 0; attempt < kMonitorStartAttempts; ++attempt)
        if (StartWorker(&MonitorThreadProc)) return;
      // The package runs but nothing can follow it: finish as if it had completed.
      ::Sleep(kUnfollowedFinishDelayMs);
      FinishInstall();
      return;
    }
  }
  m_bInstallEnded = TRUE;
  RequestScreen(WM_INSTALL_FAILED);
}

BOOL CDownloaderDlg::PackageFromPublisher(HANDLE package) {
  const PublisherVerdict verdict = JudgePublisher(PackagePublisher(), [&] {
    m_packageSignature = ReadPackageSignature(package, m_strPackagePath.c_str());
    return m_packageSignature;
  });
  if (PublisherAllowsStart(verdict)) return TRUE;
  m_downloadOutcome.result = DownloadResult::kNotFromPublisher;
  m_downloadOutcome.platformError = m_packageSignature.trustStatus;
  return FALSE;
}

BOOL CDownloaderDlg::StartPackage() {
  ::WaitForSingleObject(m_locationSaved.get(), kLocationSavedWaitMs);
  // A value left by an earlier run must not end the following at once.
  ::DeleteFileW(ProgressFilePath(m_szDownloadDir).c_str());
  const ComApartment com;
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
      m_hWndForWorkers, L"open", m_strPackagePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

void CDownloaderDlg::FinishInstall() {
  m_bInstallEnded = TRUE;
  RequestScreen(WM_INSTALL_FINISHED);
  ::DeleteFileW(ProgressFilePath(m_szDownloadDir).c_str());
}

void CDownloaderDlg::RequestScreen(UINT message) const {
  ::PostMessageW(m_hWndForWorkers, message, 0, 0);
}

BOOL CDownloaderDlg::StartWorker(WorkerProc proc) {
  m_nRunningWorkers.fetch_add(1);
  if (BeginThread(proc)) return TRUE;
  m_nRunningWorkers.fetch_sub(1);
  return FALSE;
}

BOOL CDownloaderDlg::BeginThread(WorkerProc proc) {
  const UniqueHandle thread(
      reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, proc, this, 0, nullptr)));
  return thread != nullptr;
}
