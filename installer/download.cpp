// CDownloaderDlg::DownloadPackage: the package from the vendor's origin into the download
// folder, on the download thread.
#include <shlobj.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include "framework/system_library.h"
#include "installer/bind_callback.h"
#include "installer/download.h"
#include "installer/download_watchdog.h"
#include "installer/downloader_dlg.h"
#include "installer/messages.h"
#include "installer/package_contract.h"
#include "installer/srw_guard.h"
#include "installer/vendor_origin.h"

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

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// How long a failed download's file may stay held by someone else (a scanner reading it)
// before it is left for the next download to remove.
constexpr int kRemoveAttempts = 20;
constexpr DWORD kRemoveRetryMs = 100;

// Every download writes the same file. A download given up while still inside the moniker
// removes what it left there when the moniker finally returns, but only if no later
// download has begun meanwhile: the lock makes "is it still the newest" and the removal one
// step against the start of the next download.
SRWLOCK g_packageFileLock = SRWLOCK_INIT;
unsigned g_downloadsBegun = 0;  // under g_packageFileLock

}  // namespace

bool RemovePartialPackage(const std::wstring& path) {
  for (int attempt = 1;; ++attempt) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = ::GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    if (attributes & FILE_ATTRIBUTE_READONLY)
      ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (::DeleteFileW(path.c_str())) return true;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
         error != ERROR_LOCK_VIOLATION) ||
        attempt == kRemoveAttempts)
      return false;
    ::Sleep(kRemoveRetryMs);
  }
}

BOOL CDownloaderDlg::QueryDesktopFolder(wchar_t* path) {
  return ::SHGetSpecialFolderPathW(WindowForWorkers(), path, CSIDL_DESKTOPDIRECTORY, FALSE);
}

BOOL CDownloaderDlg::DownloadPackage(bool* pGivenUp) {
  if (pGivenUp) *pGivenUp = false;
  CBindCallback callback(VendorOrigin());
  const std::wstring url = PackageUrl(VendorOrigin());

  m_szDownloadDir[0] = L'\0';
  if (!QueryDesktopFolder(m_szDownloadDir)) m_szDownloadDir[0] = L'\0';
  m_strPackagePath = DownloadFolderFor(m_szDownloadDir);
  ::lstrcpynW(m_szDownloadDir, m_strPackagePath.c_str(), MAX_PATH);
  DWORD folderError = ERROR_SUCCESS;
  if (!::PathIsDirectoryW(m_szDownloadDir) && !::CreateDirectoryW(m_szDownloadDir, nullptr))
    folderError = ::GetLastError();
  m_strPackagePath += L'\\';
  m_strPackagePath += package_contract::kPackageFileName;
  g_bAbortDownload.store(0);

  // Without the folder the moniker would still fetch the package into its cache and then
  // fail to copy it, and report success all the same.
  if (!::PathIsDirectoryW(m_szDownloadDir)) {
    m_downloadOutcome = {DownloadResult::kNoDownloadFolder, folderError, 0};
    return FALSE;
  }

  const MonikerApi& moniker = Moniker();
  if (moniker.loadError != ERROR_SUCCESS) {
    m_downloadOutcome = {DownloadResult::kFailed, HRESULT_FROM_WIN32(moniker.loadError), 0};
    return FALSE;
  }
  // A copy cached by an earlier run must never stand in for the package.
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
    if (thisDownload == g_downloadsBegun) RemovePartialPackage(target);
    if (pGivenUp) *pGivenUp = true;
    return FALSE;
  }
  m_downloadOutcome =
      JudgeDownload(static_cast<std::uint32_t>(hr), callback.Check(), FileSize(target));
  if (m_downloadOutcome.Succeeded()) return TRUE;
  // What a failed download left is no package: it must not wait there to be taken for one.
  RemovePartialPackage(target);
  return FALSE;
}
