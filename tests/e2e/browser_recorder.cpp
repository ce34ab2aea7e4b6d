// Test helper: the web browser of the test prefixes, registered as the "open" command of
// https addresses (tests/wine-run.sh). It opens nothing; it appends one line to LOG:
//   ADDRESS <TAB> PARENT IMAGE <TAB> PARENT PID <TAB> DESKTOP PID
// (UTF-8), so that a test sees which address was opened and which process started the
// browser: the installer itself, or the desktop's explorer.exe.
//   inkvane_browser_recorder.exe LOG ADDRESS
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tools/vendor/process_origin.h"

namespace {

std::string Utf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!args || count != 3) return 2;
  const ProcessOrigin origin = OriginOfThisProcess();
  const std::wstring line = std::wstring(args[2]) + L"\t" + origin.parentImage + L"\t" +
                            std::to_wstring(origin.parentId) + L"\t" +
                            std::to_wstring(origin.desktopId) + L"\n";
  // One write of the whole line at the end of the file: lines of recorders started together
  // never mix.
  const HANDLE log = ::CreateFileW(args[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 1;
  const std::string bytes = Utf8(line);
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(log);
  ::LocalFree(args);
  return ok && written == bytes.size() ? 0 : 1;
}
