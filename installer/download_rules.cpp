#include "installer/download_rules.h"

#include <algorithm>
#include <cwctype>

#include "installer/download_folder_rules.h"
#include "installer/install_location_rules.h"
#include "installer/package_contract.h"

namespace {

struct UrlParts {
  std::wstring_view scheme;
  std::wstring_view host;
  bool userInfo = false;
};

// Splits scheme://authority... far enough to compare scheme and host.
std::optional<UrlParts> Split(std::wstring_view url) {
  const auto colon = url.find(L"://");
  if (colon == std::wstring_view::npos || colon == 0) return std::nullopt;
  UrlParts parts;
  parts.scheme = url.substr(0, colon);
  std::wstring_view authority = url.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of(L"/?#"));
  parts.userInfo = authority.find(L'@') != std::wstring_view::npos;
  if (!authority.empty() && authority.front() == L'[') {
    const auto close = authority.find(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    parts.host = authority.substr(0, close + 1);
  } else {
    parts.host = authority.substr(0, authority.find(L':'));
  }
  if (parts.host.empty()) return std::nullopt;
  return parts;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
    return std::towlower(x) == std::towlower(y);
  });
}

}  // namespace

std::wstring PackageUrl(std::wstring_view origin) {
  return std::wstring(origin) + package_contract::kDownloadPathAndQuery;
}

bool IsVendorUrl(std::wstring_view origin, std::wstring_view downloadHosts, std::wstring_view url) {
  const auto vendor = Split(origin);
  const auto candidate = Split(url);
  if (!vendor || !candidate || candidate->userInfo || !SameIgnoringCase(candidate->scheme, L"https"))
    return false;
  if (SameIgnoringCase(candidate->host, vendor->host)) return true;
  while (!downloadHosts.empty()) {
    const auto end = std::min(downloadHosts.find(L';'), downloadHosts.size());
    const std::wstring_view listed = downloadHosts.substr(0, end);
    if (!listed.empty() && SameIgnoringCase(candidate->host, listed)) return true;
    downloadHosts.remove_prefix(std::min(end + 1, downloadHosts.size()));
  }
  return false;
}

DownloadResult JudgeResponse(std::wstring_view origin, std::wstring_view downloadHosts,
                             std::wstring_view finalUrl, bool tlsVerified, unsigned httpStatus) {
  if (!tlsVerified || !IsVendorUrl(origin, downloadHosts, finalUrl))
    return DownloadResult::kNotFromVendor;
  if (httpStatus != 200) return DownloadResult::kHttpStatus;
  return DownloadResult::kSucceeded;
}

std::wstring DownloadFolderFor(std::wstring_view desktopPath, unsigned desktopDriveType,
                               std::wstring_view windowsFolder) {
  const std::wstring drive = InstallerDrive(desktopPath, desktopDriveType, windowsFolder);
  if (drive.empty()) return {};
  return drive + L'\\' + package_contract::kDownloadFolderName;
}

std::wstring FinalPathWithin(std::wstring_view folderFinalPath, std::wstring_view name) {
  constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
  if (folderFinalPath.starts_with(kLongPrefix)) folderFinalPath.remove_prefix(kLongPrefix.size());
  if (folderFinalPath.empty()) return {};
  std::wstring path(folderFinalPath);
  if (path.back() != L'\\') path += L'\\';
  return path + std::wstring(name);
}

DownloadOutcome JudgeDownload(std::uint32_t hresult, const ResponseCheck& check,
                              const std::optional<HeldFile>& file,
                              std::wstring_view expectedFinalPath) {
  DownloadOutcome outcome;
  outcome.platformError = hresult;
  outcome.httpStatus = check.httpStatus;
  if (check.refusal != DownloadResult::kSucceeded)
    outcome.result = check.refusal;
  else if (hresult != 0)
    outcome.result = check.stalled          ? DownloadResult::kStalled
                     : check.abortRequested ? DownloadResult::kAborted
                                            : DownloadResult::kFailed;
  else if (!check.checked)
    outcome.result = DownloadResult::kNotFromVendor;  // nothing vouched for what arrived
  else if (check.announcedLength && check.bytesDelivered != *check.announcedLength)
    outcome.result = DownloadResult::kIncomplete;
  else if (!file)
    outcome.result = DownloadResult::kNotHeld;
  else if (file->size != check.bytesDelivered || expectedFinalPath.empty() ||
           !IsSamePath(file->finalPath, expectedFinalPath))
    outcome.result = DownloadResult::kNotTheDownload;
  else
    outcome.result = DownloadResult::kSucceeded;
  return outcome;
}
