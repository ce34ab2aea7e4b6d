// Test helper: describes the installer windows on the desktop from outside, as JSON lines,
// one per window, and can close or redraw them as another program would.
//   inkvane_inspect.exe            list the installer windows
//   inkvane_inspect.exe --dialogs  list every visible top-level dialog: the installer
//                                  windows, message boxes, the shell's folder browser
//   inkvane_inspect.exe --close    post WM_CLOSE to each installer window
//   inkvane_inspect.exe --redraw   invalidate each installer window whole, every child
//                                  included, as uncovering it would
// An installer window is a visible top-level dialog with a child of id 10001. A child that
// has a window inside it (the folder field's text field) is described with an "inner" one:
// its class, text and, for an edit control, its selection [start, end] (the caret when equal).
#include <windows.h>

#include <cstdio>
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

std::string Inner(HWND child) {
  const HWND inner = ::GetWindow(child, GW_CHILD);
  if (!inner) return {};
  std::string out = ",\"inner\":{\"class\":" + Json(ClassOf(inner)) + ",\"text\":" + Json(ControlText(inner));
  DWORD_PTR selection = 0;
  if (ClassOf(inner) == L"Edit" &&
      ::SendMessageTimeoutW(inner, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection)) {
    out += ",\"sel\":[" + std::to_string(LOWORD(selection)) + "," + std::to_string(HIWORD(selection)) + "]";
  }
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
            ",\"rect\":" + Rect(at) + ",\"text\":" + Json(TextOf(child)) + Inner(child) + "}";
    first = false;
  }
  std::printf("%s]}\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc > 1 ? argv[1] : "";
  std::vector<HWND> windows;
  ::EnumWindows(option == "--dialogs" ? &CollectDialog : &CollectInstaller,
                reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (option == "--close") {
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
