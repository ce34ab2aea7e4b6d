// Test helper: describes the installer windows on the desktop from outside, as JSON lines,
// one per window, and can close them as another program would (WM_CLOSE).
//   inkvane_inspect.exe            list the windows
//   inkvane_inspect.exe --close    post WM_CLOSE to each of them
// An installer window is a visible top-level dialog with a child of id 10001.
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
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
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

BOOL CALLBACK CollectInstaller(HWND window, LPARAM found) {
  if (::IsWindowVisible(window) && ClassOf(window) == L"#32770" && ::GetDlgItem(window, 10001))
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

void Describe(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  RECT client;
  ::GetClientRect(window, &client);
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
                     ",\"dpi\":" + std::to_string(dpi) +
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
            ",\"rect\":" + Rect(at) + ",\"text\":" + Json(TextOf(child)) + "}";
    first = false;
  }
  std::printf("%s]}\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const bool close = argc > 1 && std::string(argv[1]) == "--close";
  std::vector<HWND> windows;
  ::EnumWindows(&CollectInstaller, reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    if (close) {
      ::PostMessageW(window, WM_CLOSE, 0, 0);
    } else {
      Describe(window);
    }
  }
  std::fflush(stdout);
  return 0;
}
