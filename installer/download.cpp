// CDownloaderDlg::DownloadPackage: the package from the vendor's origin into the download
// folder, on the download thread.
#include <shlobj.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include "installer/bind_callback.h"
#include "installer/download.h"
#include "installer/download_folder.h"
#include "installer/download_watchdog.h"
#include "installer/downloader_dlg.h"
#include "installer/install_location_rules.h"
#include "installer/install_progress.h"
#include "installer/messages.h"
#include "installer/package_contract.h"
#include "installer/srw_guard.h"
#include "installer/vendor_origin.h"
#include "win32/system_library.h"

std::atomic<int> g_bAbortDownload{0};

namespace {

// The URL moniker's and WinINet's functions that the download calls, resolved from urlmon.dll
// and wininet.dll in the system folder.
struct MonikerApi {
  decltype(&::URLDownloadToFileW) URLDownloadToFileW = nullptr;
  decltype(&::DeleteUrlCacheEntryW) DeleteUrlCacheEntryW = nullptr;
  DWORD loadError = ERROR_SUCCESS;  // when not ERROR_SUCCESS, why the functions are missing
};

MonikerApi LoadMonikerApi() {
  SystemLibrary urlmon(L"urlmon.dll");
  SystemLibrary wininet(L"wininet.dll");
  MonikerApi api;
  if (!urlmon.Resolve(api.URLDownloadToFileW, "URLDownloadToFileW"))
    return {.loadError = urlmon.error()};
  if (!wininet.Resolve(api.DeleteUrlCacheEntryW, "DeleteUrlCacheEntryW"))
    return {.loadError = wininet.error()};
  urlmon.KeepForProcess();
  wininet.KeepForProcess();
  // What WinINet and TLS load by name on the first https connection.
  KeepSystemLibrariesLoaded({L"secur32.dll", L"crypt32.dll", L"bcrypt.dll"});
  return api;
}

// Loaded by the first download and kept until the process ends: the moniker and WinINet keep
// threads, windows and connections of their own after a download, and the process may end
// while a download thread is inside them (CDownloaderApp::InitInstance), so they are never
// unloaded, as when they were imported. The table holds only pointers and is never destroyed.
const MonikerApi& Moniker() { return LoadedOnce<MonikerApi, LoadMonikerApi>(); }

// Removes the cache entries of a download that has ended: the moniker caches the body under
// the URL it was fetched from last, after every redirect.
void ForgetCachedCopies(const MonikerApi& moniker, const std::wstring& url,
                        const ResponseCheck& check) {
  moniker.DeleteUrlCacheEntryW(url.c_str());
  if (!check.finalUrl.empty() && check.finalUrl != url)
    moniker.DeleteUrlCacheEntryW(check.finalUrl.c_str());
}

// Every download writes the same file. A download given up while still inside the moniker
// removes what it left there when the moniker finally returns, but only if no later
// download has begun meanwhile: the lock makes "is it still the newest" and the removal one
// step against the start of the next download.
SRWLOCK g_packageFileLock = SRWLOCK_INIT;
unsigned g_downloadsBegun = 0;  // under g_packageFileLock

}  // namespace

BOOL CDownloaderDlg::QueryDesktopFolder(wchar_t* path) {
  return ::SHGetSpecialFolderPathW(WindowForWorkers(), path, CSIDL_DESKTOPDIRECTORY, FALSE);
}

BOOL CDownloaderDlg::DownloadPackage(bool* pGivenUp) {
  if (pGivenUp) *pGivenUp = false;
  CBindCallback callback(VendorOrigin(), DownloadHosts());
  const std::wstring url = PackageUrl(VendorOrigin());
  m_downloadFolderHold.reset();
  m_packageHold.reset();

  wchar_t desktop[MAX_PATH] = {};
  if (!QueryDesktopFolder(desktop)) desktop[0] = L'\0';
  wchar_t windows[MAX_PATH] = {};
  if (!::GetWindowsDirectoryW(windows, MAX_PATH)) windows[0] = L'\0';
  const std::wstring root = DesktopDriveRoot(desktop);
  const std::wstring folder = DownloadFolderFor(
      desktop, root.empty() ? DRIVE_UNKNOWN : ::GetDriveTypeW(root.c_str()), windows);
  ::lstrcpynW(m_szDownloadDir, folder.c_str(), MAX_PATH);
  m_strPackagePath = folder.empty() ? folder : folder + L'\\' + package_contract::kPackageFileName;
  g_bAbortDownload.store(0);

  // The folder is made the installer's own and held; without it the moniker would still fetch
  // the package into its cache, fail to copy it, and report success all the same.
  DWORD error = ERROR_PATH_NOT_FOUND;
  if (!folder.empty()) m_downloadFolderHold = HoldDownloadFolder(m_szDownloadDir, error);
  if (!m_downloadFolderHold) {
    m_downloadOutcome = {DownloadResult::kNoDownloadFolder, error, 0};
    return FALSE;
  }
  // Whatever an earlier run (or anyone else) left at the package's path goes first: the
  // moniker cannot replace a file that another program holds, and says nothing of it.
  RemoveLeftover(ProgressFilePath(m_szDownloadDir));
  if ((error = RemoveLeftover(m_strPackagePath)) != ERROR_SUCCESS) {
    m_downloadOutcome = {DownloadResult::kPackageInTheWay, error, 0};
    return FALSE;
  }

  const MonikerApi& moniker = Moniker();
  if (moniker.loadError != ERROR_SUCCESS) {
    m_downloadOutcome = {DownloadResult::kFailed, HRESULT_FROM_WIN32(moniker.loadError), 0};
    return FALSE;
  }
  // A copy cached by an earlier run must never stand in for the package; and the copy that
  // this download puts in the user's cache goes again when it ends, whatever the end: it is a
  // whole package's worth of the user's disk, kept for nothing.
  moniker.DeleteUrlCacheEntryW(url.c_str());
  // Once given up, this download reads no member again: a retry rewrites them.
  const std::wstring target = m_strPackagePath;
  unsigned thisDownload;
  {
    const SrwGuard guard(g_packageFileLock);
    thisDownload = ++g_downloadsBegun;
  }
  HRESULT hr;
  bool givenUp;
  {
    // Given up, the download fails here and now, once, in place of its own thread.
    const DownloadWatchdog watchdog(callback, [this] {
      m_downloadOutcome = {DownloadResult::kStalled, 0, 0};
      m_bInstallEnded = TRUE;
      RequestScreen(WM_INSTALL_FAILED);
    });
    hr = moniker.URLDownloadToFileW(nullptr, url.c_str(), target.c_str(), 0, &callback);
    givenUp = !callback.ReturnFromMoniker();
  }
  if (givenUp) {
    // Whatever the moniker still delivered is discarded, and no later download disturbed.
    const SrwGuard guard(g_packageFileLock);
    if (thisDownload == g_downloadsBegun) {
      RemoveLeftover(target);
      ForgetCachedCopies(moniker, url, callback.Check());
    }
    if (pGivenUp) *pGivenUp = true;
    return FALSE;
  }
  ForgetCachedCopies(moniker, url, callback.Check());

  // From here on the file is judged, checked and started only through the hold's handle.
  std::optional<HeldFile> held;
  if (hr == S_OK) m_packageHold = HoldFile(m_strPackagePath, error);
  LARGE_INTEGER size{};
  if (m_packageHold && ::GetFileSizeEx(m_packageHold.get(), &size))
    held = HeldFile{static_cast<std::uint64_t>(size.QuadPart), FinalPathOf(m_packageHold.get())};
  // Judged against the held folder's own final path, so that a drive letter standing for a
  // folder (SUBST) names the same file as the handle does.
  m_downloadOutcome = JudgeDownload(
      static_cast<std::uint32_t>(hr), callback.Check(), held,
      FinalPathWithin(FinalPathOf(m_downloadFolderHold.get()), package_contract::kPackageFileName));
  if (m_downloadOutcome.result == DownloadResult::kNotHeld) m_downloadOutcome.platformError = error;
  if (m_downloadOutcome.Succeeded()) return TRUE;
  // What a failed download left is no package: it must not wait there to be taken for one, nor
  // keep a full disk full. The folder is the installer's own, held, and was emptied before
  // the download, so what stands at the path is what the moniker wrote, also when it is not
  // what it delivered (a copy cut short by a full disk). A file that another program holds
  // cannot be removed and stays; the next download removes it first.
  m_packageHold.reset();
  RemoveLeftover(target);
  return FALSE;
}
