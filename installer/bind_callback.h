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
//
// A DownloadWatchdog (installer/download_watchdog.h) watches the same download from a thread
// of its own: it looks at what has arrived through the binding, stops a stalled download
// through it, and may give the download up. Only what both threads touch is locked: the
// binding, and the bar against the give-up, so that no bar move of a given-up download can
// land after the failure it leads to.

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdint>
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
  ResponseCheck Check() const;

  // ---- For the watchdog, on its thread ----
  struct Arrival {
    std::uint64_t bytes = 0;  // the most that any source shows has arrived
    bool responded = false;   // the response's headers are in
  };
  // What has arrived: the byte count of the latest notification, or the size of the
  // moniker's cache file when that is more (the notifications lag what the moniker has
  // received: under Wine a body that drips gets none until two kilobytes or its end are in).
  Arrival LookAtArrival();
  // Stops the download as stalled: asks the moniker to abort the binding, and makes every
  // later notification abort too.
  void StopStalled();
  // Gives the download up, unless the moniker has returned already (ReturnFromMoniker):
  // from here on the sink moves nothing. True when it was given up.
  bool GiveUp();

  // ---- On the download thread, once the moniker has returned ----
  // False when the watchdog had given the download up; else it can no longer do so.
  bool ReturnFromMoniker();

private:
  // Reads the final URL, TLS state, status and announced length of the response through
  // the binding and returns the verdict; a response that cannot be read is refused.
  DownloadResult InspectResponse();
  HRESULT Refuse(DownloadResult why);

  Microsoft::WRL::ComPtr<IBinding> Binding();

  const std::wstring m_strOrigin;
  const std::wstring m_strDownloadHosts;
  ResponseCheck m_check;
  std::atomic<std::uint64_t> m_notifiedBytes{0};
  std::atomic<bool> m_notifiedResponse{false};
  std::atomic<bool> m_stalled{false};
  SRWLOCK m_lock = SRWLOCK_INIT;
  Microsoft::WRL::ComPtr<IBinding> m_pBinding;  // locked
  bool m_givenUp = false;                       // locked
  bool m_returned = false;                      // locked
};
