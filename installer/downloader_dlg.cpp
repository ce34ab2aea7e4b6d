#include "installer/downloader_dlg.h"

#include <shlobj.h>

#include "controls/png_resource.h"
#include "controls/scaling.h"
#include "installer/control_ids.h"
#include "installer/install_location_rules.h"
#include "installer/layout.h"
#include "installer/messages.h"
#include "res/resource.h"

CDownloaderDlg* g_pDownloaderDlg = nullptr;

namespace {
constexpr DWORD kButtonStyle = 0x50000200;        // WS_CHILD | WS_VISIBLE | BS_RIGHT
constexpr DWORD kCheckBoxStyle = 0x50000202;      // ... | BS_CHECKBOX
constexpr DWORD kLabelStyle = 0x50020000;         // WS_CHILD | WS_VISIBLE | WS_GROUP
constexpr DWORD kCentredLabelStyle = 0x50000200;  // WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE
constexpr DWORD kCentredGroupStyle = 0x50020200;  // ... | WS_GROUP
constexpr DWORD kLinkStyle = 0x50020100;          // WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY
constexpr DWORD kFolderFieldStyle = 0x50000080;   // WS_CHILD | WS_VISIBLE | SS_NOPREFIX

constexpr COLORREF kTextGrey = RGB(60, 60, 60);

void Place(CWnd& control, const Placement& at) { control.MoveWindow(at.x, at.y, at.width, at.height); }

CRect RectOf(const Placement& at) { return {at.x, at.y, at.x + at.width, at.y + at.height}; }

// The right edge of a control's window rectangle in its parent's client coordinates.
int RightOf(const CWnd& control) {
  CRect rect;
  control.GetWindowRect(&rect);
  ::MapWindowPoints(nullptr, ::GetParent(control.m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect.right;
}

CSize ClientSize(const CWnd& control) {
  CRect rect;
  control.GetClientRect(&rect);
  return {rect.Width(), rect.Height()};
}

// A text label created at the window's corner with the height it keeps.
void CreateLabel(CStaticEx& label, CWnd* parent, const wchar_t* text, DWORD style, UINT id,
                 int height, int fontHeight, COLORREF colour) {
  label.Create(text, style, CRect(0, 0, 0, height), parent, id);
  label.m_crText = colour;
  label.SetFontHeight(fontHeight);
}

// The measured text width of a label (its height stays as created).
int TextWidth(CStaticEx& label) {
  CSize size;
  label.MeasureText(size);
  return size.cx;
}

void SetLinkColours(CTextButtonEx& link, COLORREF normal, COLORREF hover, COLORREF disabled) {
  link.m_crText[STATE_NORMAL] = normal;
  link.m_crText[STATE_HOVER] = hover;
  link.m_crText[STATE_PRESSED] = hover;
  link.m_crText[STATE_DISABLED] = disabled;
}

void SetTextColour(CImageTextButtonEx& button, COLORREF colour) {
  for (COLORREF& c : button.m_crText) c = colour;
}

// A picture button created at its top-left corner; returns the size its picture gave it.
CSize CreatePictureButton(CImageTextButtonEx& button, CWnd* parent, const wchar_t* caption,
                          UINT id, const Placement& corner, UINT image, COLORREF colour) {
  button.Create(caption, kButtonStyle, RectOf(corner), parent, id);
  button.SetImage(image);
  SetTextColour(button, colour);
  return ClientSize(button);
}
}  // namespace

BEGIN_MESSAGE_MAP(CDownloaderDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_INSTALL_FAILED, OnInstallFailed)
  ON_MESSAGE(WM_INSTALL_FINISHED, OnInstallFinished)
END_MESSAGE_MAP()

CDownloaderDlg::CDownloaderDlg() : CDialog(IDD_DOWNLOADER_DIALOG) {
  g_pDownloaderDlg = this;
  m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ProposeDefaultInstallDir();
}

CDownloaderDlg::~CDownloaderDlg() {
  if (g_pDownloaderDlg == this) g_pDownloaderDlg = nullptr;
}

void CDownloaderDlg::ProposeDefaultInstallDir() {
  wchar_t desktop[MAX_PATH] = {};
  // Without a desktop folder the Windows folder's drive stands in, so that the proposal
  // always names a drive.
  if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE) || !desktop[0])
    ::GetWindowsDirectoryW(desktop, MAX_PATH);
  const std::wstring folder = DefaultInstallFolder(desktop);
  ::lstrcpynW(m_szInstallDir, folder.c_str(), MAX_PATH);
}

BOOL CDownloaderDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  SetBackgroundImage(IDB_PNG_BACKGROUND_READY);

  CreateReadyControls();
  CreateInstallingControls();
  ShowInstallingControls(FALSE);
  CreateFinishedControls();
  m_btnRun.ShowWindow(SW_HIDE);
  m_lblFinished.ShowWindow(SW_HIDE);
  m_lblSlogan.ShowWindow(SW_HIDE);
  m_lblSmallTitle.ShowWindow(SW_HIDE);
  Invalidate(TRUE);
  return TRUE;
}

void CDownloaderDlg::CreateReadyControls() {
  const InstallerLayout layout(ReadScreenDpi());

  m_btnClose.Create(L"", kButtonStyle, RectOf(layout.CloseButton(0, 0)), this, IDC_CLOSE);
  m_btnClose.SetImage(IDB_PNG_CLOSE);
  const CSize close = ClientSize(m_btnClose);
  Place(m_btnClose, layout.CloseButton(close.cx, close.cy));

  CreateLabel(m_lblTitle, this, L"Inkvane", kLabelStyle, IDC_TITLE, layout.TitleHeight(),
              layout.TitleFont(), kTextGrey);
  Place(m_lblTitle, layout.Title(TextWidth(m_lblTitle)));

  const CSize install = CreatePictureButton(m_btnInstall, this, L"安装", IDC_INSTALL,
                                            layout.InstallButton(0, 0), IDB_PNG_INSTALL_BUTTON,
                                            RGB(231, 75, 63));
  Place(m_btnInstall, layout.InstallButton(install.cx, install.cy));

  m_chkAgree.Create(L"", kCheckBoxStyle, RectOf(layout.AgreeCheckBox(0, 0)), this, IDC_AGREE);
  m_chkAgree.SetImage();
  const CSize agree = ClientSize(m_chkAgree);
  Place(m_chkAgree, layout.AgreeCheckBox(agree.cx, agree.cy));

  CreateLabel(m_lblAgree, this, L"已阅读并同意", kLabelStyle, IDC_AGREE_TEXT,
              layout.LinkRowHeight(), layout.LinkRowFont(), RGB(163, 163, 163));
  Place(m_lblAgree, layout.AgreeLabel(TextWidth(m_lblAgree)));

  m_lnkLicense.Create(L"许可协议", kLinkStyle, CRect(0, 0, 0, layout.LinkRowHeight()), this, IDC_LICENSE);
  m_lnkLicense.SetFontHeight(layout.LinkRowFont());
  SetLinkColours(m_lnkLicense, RGB(240, 181, 183), RGB(231, 75, 63), RGB(102, 102, 102));
  Place(m_lnkLicense, layout.LicenseLink(RightOf(m_lblAgree), m_lnkLicense.MeasureText().cx));

  CreateLabel(m_lblInstallTo, this, L"安装到：", kLabelStyle, IDC_INSTALL_TO,
              layout.TextHeight(), layout.TextFont(), kTextGrey);
  Place(m_lblInstallTo, layout.InstallToLabel(TextWidth(m_lblInstallTo)));

  m_editInstallDir.Create(L"", kFolderFieldStyle, RectOf(layout.FolderFieldAtCreation()), this,
                          IDC_INSTALL_DIR);
  Place(m_editInstallDir, layout.FolderFieldAtCreation());
  m_editInstallDir.SetBackgroundWhite();
  m_editInstallDir.m_edit.m_crText = RGB(101, 101, 101);
  m_editInstallDir.SetText(m_szInstallDir);
  Place(m_editInstallDir, layout.FolderField(RightOf(m_lblInstallTo)));

  const CSize change = CreatePictureButton(m_btnChangeDir, this, L"更改", IDC_CHANGE_DIR,
                                           layout.ChangeButtonAtCreation(),
                                           IDB_PNG_CHANGE_BUTTON, RGB(68, 68, 68));
  m_btnChangeDir.m_nFontHeight = layout.ChangeButtonFont();
  Place(m_btnChangeDir, layout.ChangeButton(RightOf(m_editInstallDir), change.cx, change.cy));
}

void CDownloaderDlg::CreateInstallingControls() {
  const InstallerLayout layout(ReadScreenDpi());

  m_progress.Create(L"", kButtonStyle, CRect(0, 0, 100, 38), this, IDC_PROGRESS);
  m_progress.LoadImages();
  const CSize bar = ClientSize(m_progress);
  Place(m_progress, layout.ProgressBar(bar.cx, bar.cy));
  m_progress.m_nPos = 0;
  m_progress.Invalidate(TRUE);

  const auto text = [&](CStaticEx& label, const wchar_t* caption, DWORD style, UINT id,
                        COLORREF colour) {
    CreateLabel(label, this, caption, style, id, layout.TextHeight(), layout.TextFont(), colour);
  };
  text(m_lblSmallTitle, L"Inkvane", kLabelStyle, IDC_SMALL_TITLE, kTextGrey);
  Place(m_lblSmallTitle, layout.SmallTitle(TextWidth(m_lblSmallTitle)));

  CStaticEx* const features[] = {&m_lblFeature1, &m_lblFeature2, &m_lblFeature3, &m_lblFeature4};
  const wchar_t* const featureTexts[] = {L"高成功率", L"操作轻松快速", L"全方位智能识别", L"文件安全有保障"};
  const DWORD featureStyles[] = {kLabelStyle, kLabelStyle, kCentredLabelStyle, kCentredLabelStyle};
  for (int i = 0; i < 4; ++i) {
    text(*features[i], featureTexts[i], featureStyles[i], IDC_FEATURE1 + i, kTextGrey);
    Place(*features[i], layout.Feature(i, TextWidth(*features[i])));
  }

  text(m_lblInstalling, L"正在安装中，请稍等...", kCentredGroupStyle, IDC_INSTALLING, kTextGrey);
  Place(m_lblInstalling, layout.Installing(TextWidth(m_lblInstalling)));

  text(m_lblFailed, L"安装失败，", kLabelStyle, IDC_FAILED, RGB(255, 0, 0));
  Place(m_lblFailed, layout.Failed(TextWidth(m_lblFailed)));
  m_lblFailed.ShowWindow(SW_HIDE);

  const COLORREF linkBlue = RGB(0, 149, 255), linkHover = RGB(47, 152, 255), grey = RGB(102, 102, 102);
  m_lnkRetry.Create(L"重试？", kLinkStyle, CRect(0, 0, 0, layout.TextHeight()), this, IDC_RETRY);
  m_lnkRetry.SetFontHeight(layout.TextFont());
  SetLinkColours(m_lnkRetry, linkBlue, linkHover, grey);
  Place(m_lnkRetry, layout.RetryLink(RightOf(m_lblFailed), m_lnkRetry.MeasureText().cx));
  m_lnkRetry.ShowWindow(SW_HIDE);

  m_lnkWebDownload.Create(L"官网下载？", kLinkStyle, CRect(0, 0, 0, layout.TextHeight()), this,
                          IDC_WEB_DOWNLOAD);
  m_lnkWebDownload.SetFontHeight(layout.TextFont());
  SetLinkColours(m_lnkWebDownload, linkBlue, linkHover, grey);
  Place(m_lnkWebDownload,
        layout.WebDownloadLink(RightOf(m_lnkRetry), m_lnkWebDownload.MeasureText().cx));
  m_lnkWebDownload.ShowWindow(SW_HIDE);
}

void CDownloaderDlg::CreateFinishedControls() {
  const InstallerLayout layout(ReadScreenDpi());

  CreateLabel(m_lblFinished, this, L"安装完成", kLabelStyle, IDC_FINISHED,
              layout.FinishedHeight(), layout.FinishedFont(), kTextGrey);
  Place(m_lblFinished, layout.Finished(TextWidth(m_lblFinished)));

  CreateLabel(m_lblSlogan, this, L"简单易用、轻松上手、一键转换", kLabelStyle, IDC_SLOGAN,
              layout.TextHeight(), layout.TextFont(), kTextGrey);
  Place(m_lblSlogan, layout.Slogan(TextWidth(m_lblSlogan)));

  const CSize run = CreatePictureButton(m_btnRun, this, L"运行", IDC_RUN, layout.RunButton(0, 0),
                                        IDB_PNG_RUN_BUTTON, RGB(255, 255, 255));
  Place(m_btnRun, layout.RunButton(run.cx, run.cy));
}

void CDownloaderDlg::SetBackgroundImage(UINT nId) {
  LoadPngResource(nId, m_pBkImage);
  if (!m_pBkImage) return;
  const InstallerLayout layout(ReadScreenDpi());
  const Placement window = layout.Window(static_cast<int>(m_pBkImage->GetWidth()),
                                         static_cast<int>(m_pBkImage->GetHeight()));
  SetWindowPos(nullptr, 0, 0, window.width, window.height, SWP_NOMOVE);
}

void CDownloaderDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    CRect client;
    GetClientRect(&client);
    const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc.m_hDC, x, y, m_hIcon);
    return;
  }
  if (m_pBkImage) {
    // Compose the whole client area off-screen and copy it in one step.
    CClientDC window(this);
    CRect client;
    GetClientRect(&client);
    CBitmap buffer;
    buffer.CreateCompatibleBitmap(window.m_hDC, client.Width(), client.Height());
    CDC memory;
    memory.CreateCompatibleDC(&window);
    const HGDIOBJ previous = memory.SelectObject(buffer.m_hObject);
    {
      gdip::Graphics graphics(memory.m_hDC);
      graphics.DrawImage(*m_pBkImage, {0, 0, client.Width(), client.Height()},
                         {0, 0, static_cast<int>(m_pBkImage->GetWidth()),
                          static_cast<int>(m_pBkImage->GetHeight())});
    }
    window.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(previous);
  }
  Default();  // the dialog's own paint cycle validates the update region
}

BOOL CDownloaderDlg::OnEraseBkgnd(CDC*) { return TRUE; }

HCURSOR CDownloaderDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
