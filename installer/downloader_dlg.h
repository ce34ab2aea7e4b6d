#pragma once
// CDownloaderDlg: the installer's one window. Borderless and custom-painted, it owns every
// control, creates and lays them out at run time, and shows one of four screens: Ready,
// Installing, Failed and Finished.

#include <windows.h>

#include <atomic>
#include <span>
#include <string>

#include "controls/check_box.h"
#include "controls/edit_box.h"
#include "controls/image_button.h"
#include "controls/image_text_button.h"
#include "controls/label.h"
#include "controls/png_resource.h"
#include "controls/progress_bar.h"
#include "controls/text_button.h"
#include "framework/afxwin.h"
#include "installer/download_rules.h"
#include "installer/publisher_rules.h"
#include "win32/scoped_handles.h"

class CDownloaderDlg : public CDialog {
public:
  // Proposes the default install folder; creates no window.
  CDownloaderDlg();
  ~CDownloaderDlg() override;

  // Makes PNG `nId` the background and sizes the window to it at the screen's DPI, keeping
  // its position (and raising and activating it). A picture that cannot be loaded keeps the
  // previous one. Does not repaint. UI thread only.
  void SetBackgroundImage(UINT nId);
  // Hides the Ready screen's controls and invalidates the window.
  void HideReadyControls();
  // Shows or hides the Installing screen's controls and invalidates the window.
  void ShowInstallingControls(BOOL bShow);

  // The screen switches, each run on the UI thread in a fixed order. Workers request the
  // last two by posting WM_INSTALL_FAILED or WM_INSTALL_FINISHED.
  void ShowInstallingScreen();  // Ready -> Installing (and the second half of a retry)
  void ShowFailedScreen();      // Installing -> Failed
  void ShowFinishedScreen();    // Installing -> Finished
  void ClearFailedScreen();     // Failed -> Installing, first half: before the checks run

  // Drops the key presses of Escape and Enter, and of Space outside the folder field
  // (window_commands.cpp, installer/key_filter.h).
  BOOL PreTranslateMessage(MSG* pMsg) override;

  HICON m_hIcon = nullptr;
  wchar_t m_szDownloadDir[MAX_PATH] = {};
  wchar_t m_szInstallDir[MAX_PATH] = {};
  std::wstring m_strPackagePath;
  // TRUE while the Failed or the Finished screen is up (or being switched to). Written by the
  // UI thread and by the workers, read by the close command.
  std::atomic<int> m_bInstallEnded{0};

protected:
  BOOL OnInitDialog() override;
  void OnPaint();
  BOOL OnEraseBkgnd(CDC* pDC);
  HCURSOR OnQueryDragIcon();
  LRESULT OnInstallFailed(WPARAM, LPARAM);
  LRESULT OnInstallFinished(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

private:
  void ProposeDefaultInstallDir();
  // Shows or hides (SW_SHOW, SW_HIDE) the controls `ids`, one after the other in their order.
  void ShowControls(std::span<const unsigned> ids, int nCmdShow);
  void CreateReadyControls();
  void CreateInstallingControls();
  void CreateFinishedControls();

  Picture m_pBkImage;  // the background shown; empty until the first screen

public:
  CImageButtonEx m_btnClose;
  CStaticEx m_lblTitle;
  CStaticEx m_lblInstallTo;
  CEditEx m_editInstallDir;
  CCheckBoxEx m_chkAgree;
  CStaticEx m_lblAgree;
  CTextButtonEx m_lnkLicense;
  CImageTextButtonEx m_btnInstall;
  CImageTextButtonEx m_btnChangeDir;
  CStaticEx m_lblSmallTitle;
  CProgressCtrlEx m_progress;
  CStaticEx m_lblFeature1;
  CStaticEx m_lblFeature2;
  CStaticEx m_lblFeature3;
  CStaticEx m_lblFeature4;
  CStaticEx m_lblInstalling;
  CStaticEx m_lblFailed;
  CTextButtonEx m_lnkWebDownload;
  CTextButtonEx m_lnkRetry;
  CImageTextButtonEx m_btnRun;
  CStaticEx m_lblFinished;
  CStaticEx m_lblSlogan;

  // The window's commands (window_commands.cpp). Every WM_CLOSE, whoever sends it, ends the
  // window through the dialog's cancel path; only the close button asks first.
protected:
  // 10001: on Ready and Installing, asks "您确定中止安装吗？"; on "是" sets the abort flag and
  // closes. On Failed and Finished (m_bInstallEnded set) closes at once.
  void OnBtnClose();
  // 10006: opens the vendor's home page; closes once Explorer took the request and the shell
  // knows a browser.
  void OnLinkWebDownload();
  // 10004: opens the licence page; the window stays as it is.
  void OnLinkLicense();
  // 10003: flips the agreement and enables or disables the install button with it.
  void OnChkAgree();
  // 10007: starts the launcher in m_szInstallDir, then closes whether or not it started.
  void OnBtnRun();

  // Install location (install_location.cpp) and the install command (install_flow.cpp).
  // Each command reads the folder field's text once and hands it on to these.
public:
  // The platform's drive type (GetDriveTypeW) of the folder's drive: 3 for a fixed disk.
  UINT GetInstallDriveType(std::wstring_view folder) const;
  // TRUE when the folder's drive has more than 80 whole MiB available to this user, or when
  // its free space cannot be learnt.
  BOOL CheckDiskSpace(std::wstring_view folder) const;
  // Hands the folder to the package through the product key: "Path" (the folder) and an
  // empty "Operation". Takes the folder as m_szInstallDir only when "Path" was written.
  // Failures are silent.
  void SaveInstallDirToRegistry(std::wstring_view folder);

protected:
  void OnBtnChangeDir();  // 10005: the shell's folder browser fills the folder field
  // 10002: the folder's checks, each refusal with its notice; then the Installing screen, the
  // download thread and the product key.
  void OnBtnInstall();
  // 10008, on the Failed screen: the failure controls go, the bar empties, and the install
  // command runs again in full.
  void OnBtnRetry();

private:
  // The folder field's text: the inner field's, as the user typed or the browser set it.
  CString ReadInstallFolder() const;
  // The install itself, once `folder` has passed every check.
  void StartInstall(std::wstring_view folder);

  // ---- Package download (installer/download.cpp) ----
public:
  // Fills m_szDownloadDir ("D:\varnix", D the desktop's drive) and m_strPackagePath, and
  // downloads the package from the vendor's origin into that file. TRUE only when the whole
  // body came over verified TLS from the vendor's host with status 200; after a failure no
  // file is left there. Blocks; on the download thread, where its progress notifications
  // move m_progress. A download that stops moving is stopped (DownloadResult::kStalled), or,
  // when the moniker does not let go of it, given up: its failure is then shown at once,
  // and when the moniker returns, *pGivenUp is set and the caller must leave the window
  // alone (a retry may be under way).
  BOOL DownloadPackage(bool* pGivenUp = nullptr);
  // How the last download ended, with the platform's error code. Written by DownloadPackage
  // (by its watchdog when it gives the download up); read on its thread after it returned.
  DownloadOutcome m_downloadOutcome;
  // What the last publisher check read of the package's signature; untouched when the build
  // names no publisher. On the download thread, like m_downloadOutcome.
  PackageSignature m_packageSignature;
  // The download folder, opened without delete sharing so that it cannot be renamed or
  // replaced. Made by DownloadPackage on the download thread; the run step takes it and lets
  // go when the install fails, or puts it back here for the monitor thread, which takes it
  // as it starts and lets go after FinishInstall has deleted the progress file (when no
  // monitor starts, the run step holds it through its own FinishInstall). A window closed
  // meanwhile ends the process, and the hold with it. Null otherwise.
  UniqueHandle m_downloadFolderHold;
  // The downloaded package, open for reading with only reading shared: made by
  // DownloadPackage, taken by the run step, let go once the package's process has started.
  UniqueHandle m_packageHold;

protected:
  // The current user's desktop folder into `path` (MAX_PATH characters); FALSE when it
  // cannot be learnt. Virtual so that a test can play a desktop without a drive.
  virtual BOOL QueryDesktopFolder(wchar_t* path);

  // ---- Running the package and following it (install_flow.cpp, install_monitor.cpp) ----
public:
  // The run step, after the download (TRUE when it succeeded): with the package file and its
  // folder still held from the download (m_packageHold, m_downloadFolderHold), starts the
  // package and the thread that follows it. Asks for the Failed screen when the download
  // failed, nothing is held or the package did not start, and records why in
  // m_downloadOutcome. Lets go of the package file's hold, and of the folder's unless the
  // monitor thread takes it over. On the download thread; on the UI thread when the download
  // thread could not be started.
  void RunPackage(BOOL bDownloaded);
  // Reads the package's progress from the progress file, moves the bar forwards to match, and
  // returns the progress (0 when the file, section or key is missing; never negative).
  int ReadInstallPercent();
  // Sets m_bInstallEnded, asks for the Finished screen and deletes the progress file. On the
  // monitor thread, or on the download thread when no monitor could be started.
  void FinishInstall();

  // Worker threads. Each runs its procedure with this window as the argument and uses the
  // window object until it ends, so the object must outlive every worker: see
  // CDownloaderApp::InitInstance for how it does.
  using WorkerProc = unsigned(__stdcall*)(void*);
  // Starts a worker running `proc(this)` and counts it as running until its WorkerRun ends.
  // FALSE when no thread could be started.
  BOOL StartWorker(WorkerProc proc);
  // True while a worker started by StartWorker may still use this window object.
  bool WorkersRunning() const { return m_nRunningWorkers.load() > 0; }
  // The window's handle for calls from a worker thread: set when the window is
  // made and never cleared, so that no worker reads a member that the UI thread changes while
  // it takes the window down. A call on a handle whose window has gone does nothing.
  HWND WindowForWorkers() const { return m_hWndForWorkers; }
  // Made first thing by each worker procedure: its end is the worker's last use of the window.
  class WorkerRun {
  public:
    explicit WorkerRun(CDownloaderDlg& dlg) : m_dlg(dlg) {}
    ~WorkerRun() { m_dlg.m_nRunningWorkers.fetch_sub(1); }
    WorkerRun(const WorkerRun&) = delete;
    WorkerRun& operator=(const WorkerRun&) = delete;

  private:
    CDownloaderDlg& m_dlg;
  };

protected:
  // Starts a thread that runs `proc(this)` and lets go of its handle; nobody waits for it.
  // The installer's only way of starting a worker (the download's watchdog, which the
  // download thread waits for, is not one); virtual so that a test can refuse starts.
  virtual BOOL BeginThread(WorkerProc proc);

private:
  // Posts a screen switch (WM_INSTALL_FAILED, WM_INSTALL_FINISHED) to the UI thread.
  void RequestScreen(UINT message) const;
  // Whether the package, held open as `package`, may start: always when the build names no
  // publisher, else only when it carries a trusted signature of that publisher
  // (installer/publisher_rules.h). A refused package counts as a failed download
  // (DownloadResult::kNotFromPublisher, with the trust check's status).
  BOOL PackageFromPublisher(HANDLE package);
  // Once the product key holds the folder, deletes the progress file and starts the package
  // file, which the caller holds, with CreateProcessW (no arguments, the download folder as
  // its working folder); through the shell's "open" only when the installer runs without the
  // rights the package asks for. TRUE when it started; else the outcome is kNotStarted with
  // CreateProcessW's error.
  BOOL StartPackage();

  HWND m_hWndForWorkers = nullptr;
  std::atomic<int> m_nRunningWorkers{0};
  // Set while no install command is between starting the download thread and writing the
  // product key: the package must find its folder there when it starts.
  UniqueHandle m_locationSaved;
};

// The one installer window of the process while it exists; null otherwise.
extern CDownloaderDlg* g_pDownloaderDlg;
