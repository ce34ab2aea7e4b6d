#include "framework/winapp.h"

IMPLEMENT_DYNAMIC(CWinApp, CObject)

namespace {
CString ExecutableName() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  name = name.substr(name.find_last_of(L"\\/") + 1);
  return CString(name.substr(0, name.find_last_of(L'.')));
}
}  // namespace

CWinApp::CWinApp(const wchar_t* lpszAppName)
    : m_strAppName(lpszAppName ? CString(lpszAppName) : ExecutableName()) {}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  m_nExitCode = static_cast<int>(msg.wParam);
  return ExitInstance();
}

int AfxWinMain(CWinApp& app) {
  if (!app.InitInstance()) return app.ExitInstance();
  return app.Run();
}
