#pragma once
// CBindCallback: the package download's progress sink. The URL moniker calls it on the
// download thread during the one blocking URLDownloadToFileW call of DownloadPackage, on
// whose stack it lives from before that call until after it; so it counts no references
// and COM never deletes it.
//
// It moves the progress bar (g_pDownloaderDlg->m_progress) forwards, passes on the user's
// abort request, and makes the moniker give up on a response that is not the vendor's: a
// redirect away from https at the vendor's host or a listed content host, a TLS session that
// is not verified, or a status other than 200. Returning E_ABORT from a notification ends the
// download.

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

#include "installer/download_rules.h"

class CBindCallback : public IBindStatusCallback {
public:
  // `origin`: the vendor's origin ("https://host[:port]") whose host must answer, or one of
  // `downloadHosts` (host names separated by ';') after a redirect.
  CBindCallback(std::wstring_view origin, std::wstring_view downloadHosts);
  CBindCallback(const CBindCallback&) = delete;
  CBindCallback& operator=(const CBindCallback&) = delete;

  // E_NOTIMPL for every interface: the moniker finds no IHttpSecurity, IWindowForBindingUI
  // or IAuthenticate here, so nothing can wave a certificate error through or ask the user.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  // 0: nothing is counted, the object lives on its caller's stack.
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // Keeps the binding, through which the response is judged; returns E_NOTIMPL.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD dwReserved, IBinding* pib) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* pnPriority) override;     // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;     // E_NOTIMPL
  // Judges the response at the first notification that follows it (and every redirect the
  // moniker reports), then moves the bar, then passes on the abort request. S_OK, or
  // E_ABORT to end the download.
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG ulProgress, ULONG ulProgressMax,
                                       ULONG ulStatusCode, LPCWSTR szStatusText) override;
  // Lets go of the binding; returns E_NOTIMPL.
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT hresult, LPCWSTR szError) override;
  // E_NOTIMPL: no binding options, the moniker's defaults.
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC* pformatetc,
                                            STGMEDIUM* pstgmed) override;          // E_NOTIMPL
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* punk) override;  // E_NOTIMPL
  virtual ~CBindCallback();

  // What the sink saw, for JudgeDownload once the moniker has returned.
  const ResponseCheck& Check() const { return m_check; }

private:
  // Reads the final URL, TLS state, status and announced length of the response through
  // the binding and returns the verdict; a response that cannot be read is refused.
  DownloadResult InspectResponse();
  HRESULT Refuse(DownloadResult why);

  const std::wstring m_strOrigin;
  const std::wstring m_strDownloadHosts;
  Microsoft::WRL::ComPtr<IBinding> m_pBinding;
  ResponseCheck m_check;
};
