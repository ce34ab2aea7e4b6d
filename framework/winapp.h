#pragma once
// CWinApp: the application object. The program defines exactly one, and its entry point
// hands it to AfxWinMain, which runs InitInstance and, only when that returns TRUE, a
// message loop until WM_QUIT; then ExitInstance, whose result is the process exit code.

#include "framework/wnd.h"

class CWinApp : public CObject {
  DECLARE_DYNAMIC(CWinApp)

public:
  // `lpszAppName` null: the name is taken from the executable's file name.
  explicit CWinApp(const wchar_t* lpszAppName = nullptr);

  virtual BOOL InitInstance() { return TRUE; }
  // The message loop; returns ExitInstance's result.
  virtual int Run();
  virtual int ExitInstance() { return m_nExitCode; }

  // Names the registry key under which the framework's profile settings would be kept.
  // The program keeps no settings through the framework; the name is only remembered.
  void SetRegistryKey(const wchar_t* lpszRegistryKey) { m_strRegistryKey = lpszRegistryKey; }

  CString m_strAppName;
  CString m_strRegistryKey;
  // The main window while it exists; the program clears it when the window is gone.
  CWnd* m_pMainWnd = nullptr;

private:
  int m_nExitCode = 0;
};

// The framework's entry: what wWinMain returns.
int AfxWinMain(CWinApp& app);
