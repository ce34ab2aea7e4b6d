// Following the package once it runs: the monitor thread and the progress reading.
#include "installer/install_monitor.h"

#include <memory>
#include <type_traits>
#include <vector>

#include "installer/downloader_dlg.h"
#include "installer/install_progress.h"
#include "installer/package_contract.h"
#include "win32/registry_key.h"
#include "win32/scoped_handles.h"

namespace {

namespace pc = package_contract;

ChangeNotification WatchFolder(const wchar_t* folder, DWORD changes) {
  const HANDLE handle = ::FindFirstChangeNotificationW(folder, TRUE, changes);
  return ChangeNotification(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// Names, sizes and write times: what writing the progress file, or making its folder, changes.
constexpr DWORD kFolderChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                 FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

// Wakes the monitor when the package may have told it something: a change in the download
// folder or any folder below it (the progress file's own folder appears only when the
// package makes it), or a value set in the product key. Made before the first look, so that
// no change after it goes unnoticed. A watch that cannot be set up is left out; every wait
// ends after kFollowSafetyWaitMs in any case.
class ChangeWatch {
public:
  explicit ChangeWatch(const wchar_t* downloadFolder)
      : m_folder(WatchFolder(downloadFolder, kFolderChanges)),
        m_keyChanged(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (m_keyChanged &&
        m_key.Open(HKEY_LOCAL_MACHINE, pc::kProductKey, KEY_NOTIFY) == ERROR_SUCCESS)
      m_keyWatched = m_key.NotifyOnValueChange(m_keyChanged.get()) == ERROR_SUCCESS;
  }

  void Wait() {
    HANDLE handles[2];
    DWORD count = 0;
    if (m_folder) handles[count++] = m_folder.get();
    if (m_keyWatched) handles[count++] = m_keyChanged.get();
    if (count == 0) {
      ::Sleep(kFollowSafetyWaitMs);
      return;
    }
    const DWORD woke = ::WaitForMultipleObjects(count, handles, FALSE, kFollowSafetyWaitMs);
    if (woke == WAIT_FAILED) ::Sleep(kFollowSafetyWaitMs);  // never a loop without a pause
    if (woke >= WAIT_OBJECT_0 + count) return;
    // Asked again before the next look, so that a change after that look wakes the next wait.
    const HANDLE signalled = handles[woke - WAIT_OBJECT_0];
    if (signalled == m_folder.get()) {
      // A notification that cannot be asked again would stay signalled: drop it.
      if (!::FindNextChangeNotification(signalled)) m_folder.reset();
    } else {
      m_keyWatched = m_key.NotifyOnValueChange(m_keyChanged.get()) == ERROR_SUCCESS;
    }
  }

private:
  ChangeNotification m_folder;
  RegistryKey m_key;
  UniqueHandle m_keyChanged;
  bool m_keyWatched = false;
};

}  // namespace

unsigned __stdcall MonitorThreadProc(void* pParam) {
  auto* const dlg = static_cast<CDownloaderDlg*>(pParam);
  if (!dlg) return 0;
  const CDownloaderDlg::WorkerRun run(*dlg);
  // The run step handed the download folder's hold over; it is let go once FinishInstall has
  // deleted the progress file.
  const UniqueHandle folder = std::move(dlg->m_downloadFolderHold);
  {
    ChangeWatch watch(dlg->m_szDownloadDir);
    FollowPackage([dlg] { return dlg->ReadInstallPercent(); },
                  [] { return IsOperationUninstall() != FALSE; }, [&watch] { watch.Wait(); });
  }
  dlg->FinishInstall();
  return 0;
}

int CDownloaderDlg::ReadInstallPercent() {
  const int progress = PackageProgress(::GetPrivateProfileIntW(
      pc::kProgressSection, pc::kProgressKey, 0, ProgressFilePath(m_szDownloadDir).c_str()));
  m_progress.Advance([&](std::int64_t current) { return AdvanceInstallBar(current, progress); });
  return progress;
}

BOOL IsOperationUninstall() {
  RegistryKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, package_contract::kProductKey, KEY_READ) != ERROR_SUCCESS)
    return FALSE;
  std::vector<std::byte> operation;
  key.QueryValue(package_contract::kOperationValue, operation);  // left empty when missing
  return IsStopRequest(operation);
}
