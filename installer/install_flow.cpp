// The install flow: the install and retry commands on the UI thread, the download thread,
// and the run step that starts the downloaded package and the thread that follows it.
//
// Threads: the UI thread owns the window. The workers (download, monitor) write only the
// shared atomics (the bar's position, m_bInstallEnded), invalidate the bar, and post the
// screen switches to the UI thread, which runs them in their fixed order (screens.cpp).
#include "installer/install_flow.h"

#include <windows.h>
#include <process.h>

#include "controls/message_box.h"
#include "installer/downloader_dlg.h"
#include "installer/install_location_rules.h"
#include "installer/install_monitor.h"
#include "installer/install_progress.h"
#include "installer/messages.h"
#include "installer/package_signature.h"
#include "installer/publisher_rules.h"
#include "installer/vendor_origin.h"
#include "win32/com_apartment.h"
#include "win32/shell_open.h"

namespace {

// The longest the run step waits for the install command to write the product key. The
// command does so right after starting the download thread, so the wait is only ever long
// when the UI thread was not scheduled for that long.
constexpr DWORD kLocationSavedWaitMs = 10'000;

}  // namespace

void CDownloaderDlg::OnBtnInstall() {
  // Read once: every check and the product key see the same text.
  const CString folder = ReadInstallFolder();
  const LocationRefusal refusal = CheckInstallFolder(
      folder.str(), [&] { return GetInstallDriveType(folder.str()); },
      [&] { return CheckDiskSpace(folder.str()) != FALSE; });
  if (refusal != LocationRefusal::None) {
    // A notice with one button: whatever the user does with it, the screen stays as it is.
    CMessageBoxEx notice(NoticeFor(refusal), 0, this);
    notice.DoModal();
    return;
  }
  StartInstall(folder.str());
}

void CDownloaderDlg::StartInstall(std::wstring_view folder) {
  ShowInstallingScreen();  // clears m_bInstallEnded first
  ::ResetEvent(m_locationSaved.get());
  if (!StartWorker(&DownloadThreadProc)) {
    ::SetEvent(m_locationSaved.get());
    RunPackage(FALSE);  // the Failed screen; the product key is left as it was
    return;
  }
  // The download is under way; the package reads its folder from here once it starts.
  SaveInstallDirToRegistry(folder);
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
  // The URL moniker and the shell are COM objects: this thread joins an apartment for them.
  const ComApartment com;
  bool givenUp = false;
  const BOOL downloaded = dlg->DownloadPackage(&givenUp);
  // A download given up for a stall has shown its failure already; the window may be on a
  // retry's download by now.
  if (!givenUp) dlg->RunPackage(downloaded);
  return 0;
}

void CDownloaderDlg::RunPackage(BOOL bDownloaded) {
  // The download leaves the package file and its folder held, so that what was judged and
  // checked is what starts. The package file is held for reading with only reading shared:
  // nobody can write, rename or delete it meanwhile, and it can still be started.
  UniqueHandle folder = std::move(m_downloadFolderHold);
  UniqueHandle package = std::move(m_packageHold);
  if (bDownloaded) {
    if (!folder || !package) {
      m_downloadOutcome.result = DownloadResult::kNotHeld;
    } else if (PackageFromPublisher(package.get()) && StartPackage()) {
      // The file is let go once its process runs: what runs is the image the platform mapped
      // from the judged file, and nothing starts the file again.
      package.reset();
      // The folder stays held until the install ends: the monitor thread takes the hold over
      // (the thread's start orders this write before its read).
      m_downloadFolderHold = std::move(folder);
      for (int attempt = 0; attempt < kMonitorStartAttempts; ++attempt)
        if (StartWorker(&MonitorThreadProc)) return;
      // The package runs but nothing can follow it: finish as if it had completed, holding the
      // folder until then.
      folder = std::move(m_downloadFolderHold);
      ::Sleep(kUnfollowedFinishDelayMs);
      FinishInstall();
      return;
    }
  }
  // The install has failed: nothing happens in the folder any more.
  folder.reset();
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
  // Its working folder is the installer's own download folder: not the installer's, often the
  // user's Downloads folder, where a DLL that the package looks for might be the user's.
  std::wstring commandLine = PackageCommandLine(m_strPackagePath);  // CreateProcessW writes to it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (::CreateProcessW(m_strPackagePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, m_szDownloadDir, &startup, &started)) {
    // The installer never waits for the package.
    const UniqueHandle process(started.hProcess), thread(started.hThread);
    return TRUE;
  }
  const DWORD error = ::GetLastError();
  if (StartsThroughShell(error) && ShellOpen(m_hWndForWorkers, m_strPackagePath.c_str()) > 32)
    return TRUE;
  m_downloadOutcome = {DownloadResult::kNotStarted, error, m_downloadOutcome.httpStatus};
  return FALSE;
}

void CDownloaderDlg::FinishInstall() {
  // The caller holds the download folder (m_downloadFolderHold's comment says who), so the
  // name below is still the installer's own folder.
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
