// CDownloaderDlg::DownloadPackage: the package from the vendor's origin into the download
// folder, on the download thread.
#include <shlobj.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include "installer/bind_callback.h"
#include "installer/download.h"
#include "installer/downloader_dlg.h"
#include "installer/package_contract.h"
#include "installer/vendor_origin.h"

std::atomic<int> g_bAbortDownload{0};

namespace {

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

}  // namespace

BOOL CDownloaderDlg::QueryDesktopFolder(wchar_t* path) {
  return ::SHGetSpecialFolderPathW(WindowForWorkers(), path, CSIDL_DESKTOPDIRECTORY, FALSE);
}

BOOL CDownloaderDlg::DownloadPackage() {
  CBindCallback callback(VendorOrigin());
  const std::wstring url = PackageUrl(VendorOrigin());
  // A copy cached by an earlier run must never stand in for the package.
  ::DeleteUrlCacheEntryW(url.c_str());

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

  const HRESULT hr = ::URLDownloadToFileW(nullptr, url.c_str(), m_strPackagePath.c_str(), 0,
                                          &callback);
  m_downloadOutcome = JudgeDownload(static_cast<std::uint32_t>(hr), callback.Check(),
                                    FileSize(m_strPackagePath));
  return m_downloadOutcome.Succeeded() ? TRUE : FALSE;
}
