// Test helper: describes the installer windows on the desktop from outside, as JSON lines,
// one per window, and can close or redraw them as another program would.
//   inkvane_inspect.exe            list the installer windows
//   inkvane_inspect.exe --dialogs  list every visible top-level dialog: the installer
//                                  windows, message boxes, the shell's folder browser
//   inkvane_inspect.exe --close    post WM_CLOSE to each installer window
//   inkvane_inspect.exe --redraw   invalidate each installer window whole, every child
//                                  included, as uncovering it would
//   inkvane_inspect.exe --accessible
//                                  list the installer windows as a screen reader sees them:
//                                  each child (and inner window) with an "acc" of what
//                                  AccessibleObjectFromWindow(OBJID_CLIENT) gives, as another
//                                  process
//   inkvane_inspect.exe --default-action ID [MS]
//                                  the default action (accDoDefaultAction) of each installer
//                                  window's child ID (10041: the folder field's text field),
//                                  then MS ms (default 1000) of the installer's state-change
//                                  events (EVENT_OBJECT_STATECHANGE): {"hr", "events": [ids]}
//   inkvane_inspect.exe --modules  the DLLs each installer process has loaded: {"modules"}
// An installer window is a visible top-level dialog with a child of id 10001. A child that
// has a window inside it (the folder field's text field) is described with an "inner" one:
// its class, text and, for an edit control, its selection [start, end] (the caret when equal).
#include <windows.h>
#include <oleacc.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.pop_back();
  return out;
}

std::string Json(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) continue;
    out += c;
  }
  return out + "\"";
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  ::GetClassNameW(window, name, 128);
  return name;
}

std::string Rect(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return text;
}

bool IsDialog(HWND window) { return ::IsWindowVisible(window) && ClassOf(window) == L"#32770"; }

BOOL CALLBACK CollectInstaller(HWND window, LPARAM found) {
  if (IsDialog(window) && ::GetDlgItem(window, 10001))
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
  if (IsDialog(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// The text a control holds, asked of the control itself: GetWindowText gives only the
// creation text of another process's edit control.
std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return L"?";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return text;
}

bool g_accessible = false;  // --accessible: each child with what a screen reader reads

std::string Hex(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "\"%08lx\"", static_cast<unsigned long>(value));
  return text;
}

std::string BstrJson(HRESULT hr, BSTR text) {
  std::string out = SUCCEEDED(hr) && text ? Json(text) : "null";
  if (text) ::SysFreeString(text);
  return out;
}

// What AccessibleObjectFromWindow(OBJID_CLIENT) gives for `window`: the object's name, role,
// state, default action and value, each null where the object gives none, and the call's
// result ("hr") where there is no object at all.
std::string Accessible(HWND window) {
  IAccessible* object = nullptr;
  const HRESULT hr = ::AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                  reinterpret_cast<void**>(&object));
  if (FAILED(hr) || !object) return ",\"acc\":{\"hr\":" + Hex(hr) + "}";
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  HRESULT got = object->get_accName(self, &text);
  std::string out = ",\"acc\":{\"name\":" + BstrJson(got, text);
  VARIANT role{};
  got = object->get_accRole(self, &role);
  out += ",\"role\":" + (SUCCEEDED(got) && role.vt == VT_I4 ? std::to_string(role.lVal) : "null");
  VARIANT state{};
  got = object->get_accState(self, &state);
  out += ",\"state\":" + (SUCCEEDED(got) && state.vt == VT_I4 ? std::to_string(state.lVal) : "null");
  text = nullptr;
  got = object->get_accDefaultAction(self, &text);
  out += ",\"action\":" + BstrJson(got, text);
  text = nullptr;
  got = object->get_accValue(self, &text);
  out += ",\"value\":" + BstrJson(got, text) + "}";
  object->Release();
  return out;
}

std::string Inner(HWND child) {
  const HWND inner = ::GetWindow(child, GW_CHILD);
  if (!inner) return {};
  std::string out = ",\"inner\":{\"class\":" + Json(ClassOf(inner)) + ",\"text\":" + Json(ControlText(inner));
  DWORD_PTR selection = 0;
  if (ClassOf(inner) == L"Edit" &&
      ::SendMessageTimeoutW(inner, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection)) {
    out += ",\"sel\":[" + std::to_string(LOWORD(selection)) + "," + std::to_string(HIWORD(selection)) + "]";
  }
  if (g_accessible) out += Accessible(inner);
  return out + "}";
}

void Describe(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  RECT client;  // on the screen, like the window's rectangle; children are placed in it
  ::GetClientRect(window, &client);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  std::string line = "{\"hwnd\":" + std::to_string(reinterpret_cast<UINT_PTR>(window)) +
                     ",\"rect\":" + Rect(rect) + ",\"client\":" + Rect(client) +
                     ",\"work\":" + Rect(monitor.rcWork) +
                     ",\"style\":" + std::to_string(::GetWindowLongW(window, GWL_STYLE)) +
                     ",\"exstyle\":" + std::to_string(::GetWindowLongW(window, GWL_EXSTYLE)) +
                     ",\"dpi\":" + std::to_string(dpi) + ",\"title\":" + Json(TextOf(window)) +
                     ",\"children\":[";
  bool first = true;
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT at;
    ::GetWindowRect(child, &at);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
    line += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(::GetDlgCtrlID(child)) +
            ",\"class\":" + Json(ClassOf(child)) +
            ",\"visible\":" + (::IsWindowVisible(child) ? "true" : "false") +
            ",\"enabled\":" + (::IsWindowEnabled(child) ? "true" : "false") +
            ",\"style\":" + std::to_string(::GetWindowLongW(child, GWL_STYLE)) +
            ",\"rect\":" + Rect(at) + ",\"text\":" + Json(TextOf(child)) + Inner(child) +
            (g_accessible ? Accessible(child) : "") + "}";
    first = false;
  }
  std::printf("%s]}\n", line.c_str());
}

std::vector<int> g_events;  // the control ids of the state changes seen

void CALLBACK OnStateChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) g_events.push_back(::GetDlgCtrlID(window));
}

// The default action of `window`'s child `id` (10041: the text field inside the folder field),
// with the state changes of the window's process that follow within `ms` milliseconds.
void DefaultAction(HWND window, int id, int ms) {
  HWND control = ::GetDlgItem(window, id);
  if (control && id == 10041) control = ::GetWindow(control, GW_CHILD);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  const HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE,
                                               nullptr, &OnStateChange, process, 0,
                                               WINEVENT_OUTOFCONTEXT);
  IAccessible* object = nullptr;
  HRESULT hr = ::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&object));
  if (SUCCEEDED(hr) && object) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    hr = object->accDoDefaultAction(self);
    object->Release();
  }
  // Events come as messages to this thread.
  for (const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms); ::GetTickCount() < end;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
  if (hook) ::UnhookWinEvent(hook);
  std::string events;
  for (int event : g_events) events += (events.empty() ? "" : ",") + std::to_string(event);
  std::printf("{\"hwnd\":%llu,\"hr\":%s,\"hook\":%s,\"events\":[%s]}\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), Hex(hr).c_str(),
              hook ? "true" : "false", events.c_str());
}

// The full paths of the DLLs loaded in the process of `window`.
void Modules(HWND window) {
  DWORD id = 0;
  ::GetWindowThreadProcessId(window, &id);
  std::string list;
  if (HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (::EnumProcessModules(process, modules, sizeof modules, &bytes)) {
      for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameExW(process, modules[i], path, MAX_PATH);
        list += (list.empty() ? "" : ",") + Json(path);
      }
    }
    ::CloseHandle(process);
  }
  std::printf("{\"hwnd\":%llu,\"pid\":%lu,\"modules\":[%s]}\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
              static_cast<unsigned long>(id), list.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc > 1 ? argv[1] : "";
  g_accessible = option == "--accessible";
  if (g_accessible || option == "--default-action") ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::vector<HWND> windows;
  ::EnumWindows(option == "--dialogs" ? &CollectDialog : &CollectInstaller,
                reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (option == "--default-action" && argc > 2) {
      DefaultAction(window, std::atoi(argv[2]), argc > 3 ? std::atoi(argv[3]) : 1000);
    } else if (option == "--modules") {
      Modules(window);
    } else if (option == "--close") {
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (option == "--redraw") {
      ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else {
      Describe(window);
    }
  }
  std::fflush(stdout);
  return 0;
}
