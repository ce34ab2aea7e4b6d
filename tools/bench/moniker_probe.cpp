// Probe, not a test: how the URL moniker behaves on a slow or stalled body. Downloads URL to
// FILE with a sink that logs every notification, and logs twice a second from the main
// thread what the binding shows (status code, cache file and its size); then, by MODE:
//   watch   nothing more: it gives up after -SECONDS s (a negative number) plus 120
//   abort   IBinding::Abort from the main thread after SECONDS s
//   timer   a thread timer on the download thread, to see whether the moniker's wait
//           dispatches it; it aborts from there after SECONDS s
// and logs when URLDownloadToFileW returns, with what and the target's size.
//
//   inkvane_moniker_probe.exe URL FILE MODE SECONDS     (tests/wine-run.sh runs it)
#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

DWORD g_start;
std::wstring g_file;
std::atomic<IBinding*> g_binding{nullptr};
std::atomic<bool> g_done{false};
std::atomic<int> g_timerFires{0};
double g_abortAt = 0;

double Now() { return (::GetTickCount() - g_start) / 1000.0; }

long long Size(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::printf("%8.3f ", Now());
  std::vprintf(format, args);
  std::fflush(stdout);
  va_end(args);
}

struct Sink : IBindStatusCallback {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = riid == IID_IUnknown || riid == IID_IBindStatusCallback ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
    binding->AddRef();  // kept to the end of the process
    g_binding = binding;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG done, ULONG total, ULONG status,
                                       LPCWSTR text) override {
    Log("notification: status %lu, %lu of %lu, target %lld %ls\n", status, done, total,
        Size(g_file), status == BINDSTATUS_CACHEFILENAMEAVAILABLE && text ? text : L"");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT hr, LPCWSTR) override {
    Log("OnStopBinding 0x%08lx\n", hr);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD size, FORMATETC*, STGMEDIUM*) override {
    Log("OnDataAvailable %lu\n", size);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
};

void Abort(const char* from) {
  if (IBinding* binding = g_binding) Log("Abort from %s: 0x%08lx\n", from, binding->Abort());
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (++g_timerFires % 10 == 1) Log("thread timer fired\n");
  if (g_abortAt > 0 && Now() >= g_abortAt) {
    g_abortAt = 0;
    Abort("the thread timer");
  }
}

// What the binding shows now: the response's status code, the cache file and its size.
void LookThroughTheBinding() {
  IBinding* binding = g_binding;
  IWinInetHttpInfo* info = nullptr;
  if (!binding || FAILED(binding->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&info))))
    return;
  DWORD status = 0, size = sizeof(status);
  info->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr, nullptr);
  wchar_t name[1024] = {};
  size = sizeof(name) - sizeof(wchar_t);
  std::wstring cache;
  if (SUCCEEDED(info->QueryOption(INTERNET_OPTION_DATAFILE_NAME, name, &size))) {
    const auto* bytes = reinterpret_cast<const char*>(name);
    cache = bytes[0] && !bytes[1] ? std::wstring(name) : std::wstring(bytes, bytes + lstrlenA(bytes));
  }
  info->Release();
  static DWORD lastStatus = 1;
  static long long lastSize = -2;
  if (status != lastStatus || Size(cache) != lastSize)
    Log("binding: status %lu, cache file %lld bytes %ls\n", status, Size(cache), cache.c_str());
  lastStatus = status;
  lastSize = Size(cache);
}

struct Download {
  std::wstring url;
  bool timer;
};

DWORD WINAPI DownloadThread(void* param) {
  const auto& download = *static_cast<Download*>(param);
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (download.timer) ::SetTimer(nullptr, 0, 500, OnTimer);
  ::DeleteUrlCacheEntryW(download.url.c_str());
  Sink sink;
  const HRESULT hr = ::URLDownloadToFileW(nullptr, download.url.c_str(), g_file.c_str(), 0, &sink);
  Log("URLDownloadToFileW returned 0x%08lx; target %lld bytes; thread timer fired %d times\n",
      hr, Size(g_file), g_timerFires.load());
  g_done = true;
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: inkvane_moniker_probe.exe URL FILE watch|abort|timer SECONDS\n");
    return 2;
  }
  g_start = ::GetTickCount();
  g_file = argv[2];
  const std::wstring mode = argv[3];
  const double seconds = _wtof(argv[4]);
  ::DeleteFileW(g_file.c_str());
  Download download{argv[1], mode == L"timer"};
  if (download.timer) g_abortAt = seconds;
  const HANDLE thread = ::CreateThread(nullptr, 0, DownloadThread, &download, 0, nullptr);
  bool aborted = false;
  while (!g_done) {
    ::Sleep(500);
    LookThroughTheBinding();
    if (mode == L"abort" && !aborted && Now() >= seconds) {
      Abort("the main thread");
      aborted = true;
    }
    if (Now() > seconds + 120) {
      Log("still inside URLDownloadToFileW; giving up\n");
      return 1;
    }
  }
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
  return 0;
}
