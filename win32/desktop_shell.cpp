#include "win32/desktop_shell.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include "win32/com_apartment.h"
#include "win32/system_library.h"

namespace {

using Microsoft::WRL::ComPtr;

// The automation strings of the call come from oleaut32.dll, which the program does not import
// (it imports Known DLLs only, see system_library.h): loaded from the system folder for the call.
struct OleStrings {
  SystemLibrary library{L"oleaut32.dll"};
  decltype(&::SysAllocString) alloc = nullptr;
  decltype(&::SysFreeString) free = nullptr;

  bool Load() noexcept {
    return library.Resolve(alloc, "SysAllocString") && library.Resolve(free, "SysFreeString");
  }
};

// One BSTR, freed when its owner ends; null only when there was no memory for it.
class Bstr {
public:
  Bstr(const OleStrings& ole, const wchar_t* text)
      : m_free(ole.free), m_text(ole.alloc(text ? text : L"")) {}
  ~Bstr() { m_free(m_text); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const noexcept { return m_text; }
  // A VARIANT that borrows the string, for an [in] argument.
  VARIANT Variant() const noexcept {
    VARIANT value{};
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = m_text;
    return value;
  }

private:
  decltype(&::SysFreeString) m_free;
  BSTR m_text;
};

VARIANT Int(LONG number) noexcept {
  VARIANT value{};
  V_VT(&value) = VT_I4;
  V_I4(&value) = number;
  return value;
}

// A step of the way counts only when it answers S_OK and hands out its object; anything else
// ends the way with that answer (S_FALSE kept as it came).
HRESULT Got(HRESULT result, const void* object) noexcept {
  return result != S_OK ? result : object ? S_OK : E_NOINTERFACE;
}

// The desktop's own automation object (the Shell.Application that its window runs in
// Explorer's process) and the id of that process (0 when it cannot be told). S_OK, or the
// answer of the step that failed.
HRESULT DesktopShellApplication(ComPtr<IShellDispatch2>& shell, DWORD& explorerProcess) {
  // The list of shell windows lives in Explorer. Only its local server is asked: no in-process
  // server that a registration of the class names is loaded into this elevated process.
  ComPtr<IShellWindows> windows;
  HRESULT result = ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                      IID_PPV_ARGS(&windows));
  if ((result = Got(result, windows.Get())) != S_OK) return result;

  VARIANT desktop = Int(CSIDL_DESKTOP);
  VARIANT noRoot{};
  LONG window = 0;
  ComPtr<IDispatch> desktopDispatch;
  // S_FALSE, and no object, when no desktop window is registered.
  result = windows->FindWindowSW(&desktop, &noRoot, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 &desktopDispatch);
  if ((result = Got(result, desktopDispatch.Get())) != S_OK) return result;

  ComPtr<IServiceProvider> services;
  result = desktopDispatch.As(&services);
  if ((result = Got(result, services.Get())) != S_OK) return result;
  ComPtr<IShellBrowser> browser;
  result = services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser));
  if ((result = Got(result, browser.Get())) != S_OK) return result;
  ComPtr<IShellView> view;
  result = browser->QueryActiveShellView(&view);
  if ((result = Got(result, view.Get())) != S_OK) return result;
  ComPtr<IDispatch> background;
  result = view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background));
  if ((result = Got(result, background.Get())) != S_OK) return result;
  ComPtr<IShellFolderViewDual> folderView;
  result = background.As(&folderView);
  if ((result = Got(result, folderView.Get())) != S_OK) return result;
  ComPtr<IDispatch> application;
  result = folderView->get_Application(&application);
  if ((result = Got(result, application.Get())) != S_OK) return result;
  result = application.As(&shell);
  if ((result = Got(result, shell.Get())) != S_OK) return result;

  // The window found is the desktop's, owned by Explorer's process (measured under Wine 8:
  // the desktop window of explorer.exe /desktop).
  explorerProcess = 0;
  ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)),
                             &explorerProcess);
  return S_OK;
}

}  // namespace

DesktopOpenResult OpenAsDesktopUser(const wchar_t* target, const wchar_t* workingFolder) {
  const auto unreachable = [](HRESULT result) {
    return DesktopOpenResult{DesktopOpenOutcome::kShellUnreachable, result};
  };
  // Declared first, ended last: the strings are freed with the DLL's own function, and the
  // apartment outlives every interface.
  OleStrings ole;
  if (!ole.Load()) return unreachable(HRESULT_FROM_WIN32(ole.library.error()));
  const ComApartment com;

  ComPtr<IShellDispatch2> shell;
  DWORD explorerProcess = 0;
  if (const HRESULT result = DesktopShellApplication(shell, explorerProcess); result != S_OK)
    return unreachable(result);

  const Bstr file(ole, target), noParameters(ole, L""), folder(ole, workingFolder),
      verb(ole, L"open");
  if (!file.get() || !noParameters.get() || !folder.get() || !verb.get())
    return unreachable(E_OUTOFMEMORY);

  // The started program's window may come to the front: Explorer starts it, so Explorer is
  // the process that must be allowed to (this one is, as the user has just clicked in it).
  if (explorerProcess) ::AllowSetForegroundWindow(explorerProcess);
  // Asked once: whatever the answer, Explorer may have queued the request.
  const HRESULT result = shell->ShellExecute(file.get(), noParameters.Variant(), folder.Variant(),
                                             verb.Variant(), Int(SW_SHOWNORMAL));
  return {result == S_OK ? DesktopOpenOutcome::kRequestTaken : DesktopOpenOutcome::kNotConfirmed,
          result};
}

bool ProtocolHasOpenCommand(const wchar_t* protocol) {
  // The user's choice of handler counts: ASSOCF_IS_PROTOCOL (Windows 8 on; the program is
  // built for Windows 7, whose shell may refuse the flag, and is then asked without it). The
  // fallback for unknown types (the "open with" chooser) does not count. Without a buffer the
  // call only measures the command: S_FALSE, its length with the terminator.
  constexpr ASSOCF kIsProtocol = static_cast<ASSOCF>(0x00001000);
  const auto measure = [protocol](ASSOCF flags) {
    DWORD length = 0;
    const HRESULT result = ::AssocQueryStringW(flags | ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_COMMAND,
                                               protocol, L"open", nullptr, &length);
    return SUCCEEDED(result) ? (length > 1 ? S_OK : S_FALSE) : result;
  };
  HRESULT result = measure(kIsProtocol);
  if (result == E_INVALIDARG) result = measure(ASSOCF_NONE);
  return result == S_OK;
}
