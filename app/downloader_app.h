#pragma once
// The installer's application object: its start-up runs the installer window modally and
// returns FALSE, so the process ends when the window closes.

#include "framework/winapp.h"

class CDownloaderApp : public CWinApp {
public:
  CDownloaderApp() = default;

  // Runs the installer window and returns FALSE: no message loop of the application's own.
  BOOL InitInstance() override;
};

// The one application object of the process.
extern CDownloaderApp theApp;
