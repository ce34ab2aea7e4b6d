#include "installer/bind_callback.h"

#include <wininet.h>

#include <algorithm>
#include <array>

#include "installer/download.h"
#include "installer/download_progress.h"
#include "installer/downloader_dlg.h"
#include "installer/srw_guard.h"

namespace {

// Certificate faults that a request can be told to overlook. Nothing here asks for that;
// a response that carries one of them is refused all the same.
constexpr DWORD kOverlookedCertificateFaults = SECURITY_FLAG_IGNORE_UNKNOWN_CA |
                                               SECURITY_FLAG_IGNORE_WRONG_USAGE |
                                               SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                                               SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;

// Notifications that arrive once the response's headers are in.
bool FollowsResponse(ULONG status) {
  switch (status) {
    case BINDSTATUS_MIMETYPEAVAILABLE:
    case BINDSTATUS_BEGINDOWNLOADDATA:
    case BINDSTATUS_DOWNLOADINGDATA:
    case BINDSTATUS_ENDDOWNLOADDATA:
    case BINDSTATUS_CACHEFILENAMEAVAILABLE:
      return true;
    default:
      return false;
  }
}

// A text option of the request: the URL it ended at (after every redirect it followed), or
// the file it caches the body in. The option comes back as UTF-16 or as ANSI text,
// depending on the system; a URL or path begins with an ASCII character, so its second
// byte tells which.
std::wstring TextOption(IWinInetInfo& info, DWORD option) {
  std::array<wchar_t, 2048> buffer{};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (FAILED(info.QueryOption(option, buffer.data(), &size))) return {};
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
  if (bytes[0] && !bytes[1]) return buffer.data();
  return {bytes, bytes + ::lstrlenA(reinterpret_cast<const char*>(bytes))};
}

std::uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}


}  // namespace

CBindCallback::CBindCallback(std::wstring_view origin, std::wstring_view downloadHosts)
    : m_strOrigin(origin), m_strDownloadHosts(downloadHosts) {}

CBindCallback::~CBindCallback() = default;

HRESULT CBindCallback::QueryInterface(REFIID, void** ppv) {
  if (ppv) *ppv = nullptr;
  return E_NOTIMPL;
}

ULONG CBindCallback::AddRef() { return 0; }

ULONG CBindCallback::Release() { return 0; }

HRESULT CBindCallback::OnStartBinding(DWORD, IBinding* pib) {
  const SrwGuard guard(m_lock);
  m_pBinding = pib;
  return E_NOTIMPL;
}

HRESULT CBindCallback::GetPriority(LONG*) { return E_NOTIMPL; }

HRESULT CBindCallback::OnLowResource(DWORD) { return E_NOTIMPL; }

HRESULT CBindCallback::OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode,
                                  LPCWSTR szStatusText) {
  if (ulProgress > m_notifiedBytes.load(std::memory_order_relaxed))
    m_notifiedBytes.store(ulProgress, std::memory_order_relaxed);
  if (FollowsResponse(ulStatusCode)) m_notifiedResponse.store(true, std::memory_order_relaxed);
  if (m_stalled.load() || m_check.refusal != DownloadResult::kSucceeded) return E_ABORT;
  // Windows reports each redirect here; Wine follows them silently, which the response
  // check below catches.
  if (ulStatusCode == BINDSTATUS_REDIRECTING &&
      !IsVendorUrl(m_strOrigin, m_strDownloadHosts, szStatusText ? szStatusText : L""))
    return Refuse(DownloadResult::kNotFromVendor);
  if (!m_check.checked && FollowsResponse(ulStatusCode)) {
    const DownloadResult verdict = InspectResponse();
    if (verdict != DownloadResult::kSucceeded) return Refuse(verdict);
  }

  if (FollowsResponse(ulStatusCode) && ulProgress > m_check.bytesDelivered)
    m_check.bytesDelivered = ulProgress;

  if (CDownloaderDlg* const dlg = g_pDownloaderDlg) {
    const SrwGuard guard(m_lock);
    if (m_givenUp) return E_ABORT;
    dlg->m_progress.Advance([&](std::int64_t current) {
      return AdvanceDownloadBar(current, ulProgress, ulProgressMax);
    });
  }

  if (g_bAbortDownload.load()) {
    m_check.abortRequested = true;
    return E_ABORT;
  }
  return S_OK;
}

HRESULT CBindCallback::OnStopBinding(HRESULT, LPCWSTR) {
  const SrwGuard guard(m_lock);
  m_pBinding.Reset();
  return E_NOTIMPL;
}

HRESULT CBindCallback::GetBindInfo(DWORD*, BINDINFO*) { return E_NOTIMPL; }

HRESULT CBindCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT CBindCallback::OnObjectAvailable(REFIID, IUnknown*) { return E_NOTIMPL; }

DownloadResult CBindCallback::InspectResponse() {
  m_check.checked = true;
  Microsoft::WRL::ComPtr<IWinInetHttpInfo> info;
  if (!m_pBinding || FAILED(m_pBinding->QueryInterface(IID_IWinInetHttpInfo, &info)) || !info)
    return DownloadResult::kNotFromVendor;

  const std::wstring url = TextOption(*info.Get(), INTERNET_OPTION_URL);
  m_check.finalUrl = url;
  DWORD flags = 0;
  DWORD size = sizeof(flags);
  const bool verified = SUCCEEDED(info->QueryOption(INTERNET_OPTION_SECURITY_FLAGS, &flags, &size)) &&
                        (flags & SECURITY_FLAG_SECURE) && !(flags & kOverlookedCertificateFaults);

  DWORD status = 0;
  size = sizeof(status);
  if (SUCCEEDED(info->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                nullptr, nullptr)))
    m_check.httpStatus = status;
  DWORD length = 0;
  size = sizeof(length);
  // Wine answers 0 for a response without the header; a package is never empty, so 0
  // counts as not announced.
  if (SUCCEEDED(info->QueryInfo(HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                                &size, nullptr, nullptr)) && length > 0)
    m_check.announcedLength = length;

  return JudgeResponse(m_strOrigin, m_strDownloadHosts, url, verified, m_check.httpStatus);
}

HRESULT CBindCallback::Refuse(DownloadResult why) {
  m_check.refusal = why;
  return E_ABORT;
}

ResponseCheck CBindCallback::Check() const {
  ResponseCheck check = m_check;
  check.stalled = m_stalled.load();
  return check;
}

Microsoft::WRL::ComPtr<IBinding> CBindCallback::Binding() {
  const SrwGuard guard(m_lock);
  return m_pBinding;
}

CBindCallback::Arrival CBindCallback::LookAtArrival() {
  Arrival arrival{m_notifiedBytes.load(std::memory_order_relaxed),
                  m_notifiedResponse.load(std::memory_order_relaxed)};
  // WinINet handles may be used from any thread; the binding hands out the request's.
  Microsoft::WRL::ComPtr<IWinInetHttpInfo> info;
  const auto binding = Binding();
  if (!binding || FAILED(binding->QueryInterface(IID_IWinInetHttpInfo, &info)) || !info)
    return arrival;
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (SUCCEEDED(info->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                nullptr, nullptr)) &&
      status != 0)
    arrival.responded = true;
  arrival.bytes =
      std::max(arrival.bytes, FileSize(TextOption(*info.Get(), INTERNET_OPTION_DATAFILE_NAME)));
  return arrival;
}

void CBindCallback::StopStalled() {
  m_stalled.store(true);
  // Not under the lock: the moniker may call back into the sink while it aborts.
  if (const auto binding = Binding()) binding->Abort();
}

bool CBindCallback::GiveUp() {
  const SrwGuard guard(m_lock);
  if (m_returned) return false;
  m_givenUp = true;
  return true;
}

bool CBindCallback::ReturnFromMoniker() {
  const SrwGuard guard(m_lock);
  m_returned = true;
  return !m_givenUp;
}
