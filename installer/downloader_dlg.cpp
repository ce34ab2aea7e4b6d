#include "installer/downloader_dlg.h"

#include "controls/png_resource.h"
#include "controls/scaling.h"
#include "framework/memory_dc.h"
#include "installer/control_ids.h"
#include "installer/layout.h"
#include "installer/messages.h"
#include "installer/screen_table.h"
#include "res/resource.h"

CDownloaderDlg* g_pDownloaderDlg = nullptr;

namespace {
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_RIGHT;
static_assert(kButtonStyle == 0x50000200);
constexpr DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | BS_RIGHT | BS_CHECKBOX;
static_assert(kCheckBoxStyle == 0x50000202);
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
static_assert(kLabelStyle == 0x50020000);
constexpr DWORD kCentredLabelStyle = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE;
static_assert(kCentredLabelStyle == 0x50000200);
constexpr DWORD kCentredGroupStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTERIMAGE;
static_assert(kCentredGroupStyle == 0x50020200);
// The text buttons are statics: SS_NOTIFY makes them report clicks.
constexpr DWORD kLinkStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY;
static_assert(kLinkStyle == 0x50020100);
constexpr DWORD kFolderFieldStyle = WS_CHILD | WS_VISIBLE | SS_NOPREFIX;
static_assert(kFolderFieldStyle == 0x50000080);

constexpr COLORREF kTextGrey = RGB(60, 60, 60);
constexpr wchar_t kAgreeText[] = L"已阅读并同意";
constexpr wchar_t kLicenseText[] = L"许可协议";
// Link colours per state: normal, hover, pressed, disabled.
constexpr COLORREF kLicenseColours[] = {RGB(240, 181, 183), RGB(231, 75, 63), RGB(231, 75, 63),
                                        RGB(102, 102, 102)};
constexpr COLORREF kFailureLinkColours[] = {RGB(0, 149, 255), RGB(47, 152, 255),
                                            RGB(47, 152, 255), RGB(102, 102, 102)};

void Place(CWnd& control, const PixelRect& at) { control.MoveWindow(CRect(at)); }

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

// A text control is created at the window's top-left corner with the height it keeps.
CRect AtCorner(int height) { return {0, 0, 0, height}; }
}  // namespace

BEGIN_MESSAGE_MAP(CDownloaderDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_INSTALL_FAILED, OnInstallFailed)
  ON_MESSAGE(WM_INSTALL_FINISHED, OnInstallFinished)
  // The window's commands.
  ON_BN_CLICKED(IDC_CLOSE, OnBtnClose)
  ON_BN_CLICKED(IDC_WEB_DOWNLOAD, OnLinkWebDownload)
  ON_BN_CLICKED(IDC_LICENSE, OnLinkLicense)
  ON_BN_CLICKED(IDC_AGREE, OnChkAgree)
  ON_BN_CLICKED(IDC_RUN, OnBtnRun)
  // Install location and the install command.
  ON_BN_CLICKED(IDC_CHANGE_DIR, OnBtnChangeDir)
  ON_BN_CLICKED(IDC_INSTALL, OnBtnInstall)
  ON_BN_CLICKED(IDC_RETRY, OnBtnRetry)
END_MESSAGE_MAP()

CDownloaderDlg::CDownloaderDlg()
    : CDialog(IDD_DOWNLOADER_DIALOG),
      m_locationSaved(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
  g_pDownloaderDlg = this;
  m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ProposeDefaultInstallDir();
}

CDownloaderDlg::~CDownloaderDlg() {
  if (g_pDownloaderDlg == this) g_pDownloaderDlg = nullptr;
}

BOOL CDownloaderDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  SetBackgroundImage(LookOf(Screen::Ready).background);

  CreateReadyControls();
  CreateInstallingControls();
  ShowInstallingControls(FALSE);
  CreateFinishedControls();
  ShowControls(LookOf(Screen::Finished).controls, SW_HIDE);
  m_hWndForWorkers = m_hWnd;
  Invalidate(TRUE);
  return TRUE;
}

void CDownloaderDlg::CreateReadyControls() {
  const InstallerLayout layout(ReadScreenDpi());

  // Captions that are never drawn name the picture-only controls for a screen reader.
  m_btnClose.Create(L"关闭", kButtonStyle, CRect(layout.CloseButton(0, 0)), this, IDC_CLOSE);
  m_btnClose.SetImage(IDB_PNG_CLOSE);
  const CSize close = ClientSize(m_btnClose);
  Place(m_btnClose, layout.CloseButton(close.cx, close.cy));

  const CSize title = CreateLabel(m_lblTitle, L"Inkvane", kLabelStyle,
                                  AtCorner(layout.TitleHeight()), this, IDC_TITLE, kTextGrey,
                                  layout.TitleFont());
  Place(m_lblTitle, layout.Title(title.cx));

  const CSize install = CreatePictureButton(m_btnInstall, L"安装", kButtonStyle,
                                            CRect(layout.InstallButton(0, 0)), this, IDC_INSTALL,
                                            IDB_PNG_INSTALL_BUTTON, 0, RGB(231, 75, 63));
  Place(m_btnInstall, layout.InstallButton(install.cx, install.cy));

  // The box is named by the text beside it, its label and the link, as the window shows them.
  const CString agreement(std::wstring(kAgreeText) + kLicenseText);
  m_chkAgree.Create(agreement, kCheckBoxStyle, CRect(layout.AgreeCheckBox(0, 0)), this, IDC_AGREE);
  m_chkAgree.SetImage();
  const CSize agree = ClientSize(m_chkAgree);
  Place(m_chkAgree, layout.AgreeCheckBox(agree.cx, agree.cy));

  const CSize agreeText =
      CreateLabel(m_lblAgree, kAgreeText, kLabelStyle, AtCorner(layout.LinkRowHeight()), this,
                  IDC_AGREE_TEXT, RGB(163, 163, 163), layout.LinkRowFont());
  Place(m_lblAgree, layout.AgreeLabel(agreeText.cx));

  const CSize license = CreateLink(m_lnkLicense, kLicenseText, kLinkStyle,
                                   AtCorner(layout.LinkRowHeight()), this, IDC_LICENSE,
                                   layout.LinkRowFont(), kLicenseColours);
  Place(m_lnkLicense, layout.LicenseLink(RightOf(m_lblAgree), license.cx));

  const CSize installTo = CreateLabel(m_lblInstallTo, L"安装到：", kLabelStyle,
                                      AtCorner(layout.TextHeight()), this, IDC_INSTALL_TO,
                                      kTextGrey, layout.TextFont());
  Place(m_lblInstallTo, layout.InstallToLabel(installTo.cx));

  // The frame's caption names the field, after the label before it.
  m_editInstallDir.Create(L"安装到", kFolderFieldStyle, CRect(layout.FolderFieldAtCreation()),
                          this, IDC_INSTALL_DIR);
  Place(m_editInstallDir, layout.FolderFieldAtCreation());
  m_editInstallDir.SetBackgroundWhite();
  m_editInstallDir.m_edit.m_crText = RGB(101, 101, 101);
  m_editInstallDir.SetText(m_szInstallDir);
  Place(m_editInstallDir, layout.FolderField(RightOf(m_lblInstallTo)));

  const CSize change = CreatePictureButton(m_btnChangeDir, L"更改", kButtonStyle,
                                           CRect(layout.ChangeButtonAtCreation()), this,
                                           IDC_CHANGE_DIR, IDB_PNG_CHANGE_BUTTON,
                                           layout.ChangeButtonFont(), RGB(68, 68, 68));
  Place(m_btnChangeDir, layout.ChangeButton(RightOf(m_editInstallDir), change.cx, change.cy));
}

void CDownloaderDlg::CreateInstallingControls() {
  const InstallerLayout layout(ReadScreenDpi());

  m_progress.Create(L"", kButtonStyle, CRect(0, 0, 100, 38), this, IDC_PROGRESS);
  m_progress.LoadImages();
  const CSize bar = ClientSize(m_progress);
  Place(m_progress, layout.ProgressBar(bar.cx, bar.cy));
  m_progress.Reset();

  // The texts of these screens share one line height and one font; each returns its width.
  const auto label = [&](CStaticEx& control, const wchar_t* text, DWORD style, UINT id,
                         COLORREF colour) {
    return CreateLabel(control, text, style, AtCorner(layout.TextHeight()), this, id, colour,
                       layout.TextFont()).cx;
  };
  const auto link = [&](CTextButtonEx& control, const wchar_t* text, UINT id) {
    return CreateLink(control, text, kLinkStyle, AtCorner(layout.TextHeight()), this, id,
                      layout.TextFont(), kFailureLinkColours).cx;
  };

  const int smallTitle = label(m_lblSmallTitle, L"Inkvane", kLabelStyle, IDC_SMALL_TITLE, kTextGrey);
  Place(m_lblSmallTitle, layout.SmallTitle(smallTitle));

  CStaticEx* const features[] = {&m_lblFeature1, &m_lblFeature2, &m_lblFeature3, &m_lblFeature4};
  const wchar_t* const featureTexts[] = {L"高成功率", L"操作轻松快速", L"全方位智能识别",
                                         L"文件安全有保障"};
  const DWORD featureStyles[] = {kLabelStyle, kLabelStyle, kCentredLabelStyle, kCentredLabelStyle};
  for (int i = 0; i < 4; ++i) {
    const int feature =
        label(*features[i], featureTexts[i], featureStyles[i], IDC_FEATURE1 + i, kTextGrey);
    Place(*features[i], layout.Feature(i, feature));
  }

  const int installing = label(m_lblInstalling, L"正在安装中，请稍等...", kCentredGroupStyle,
                               IDC_INSTALLING, kTextGrey);
  Place(m_lblInstalling, layout.Installing(installing));

  const int failed = label(m_lblFailed, L"安装失败，", kLabelStyle, IDC_FAILED, RGB(255, 0, 0));
  Place(m_lblFailed, layout.Failed(failed));
  m_lblFailed.ShowWindow(SW_HIDE);

  const int retry = link(m_lnkRetry, L"重试？", IDC_RETRY);
  Place(m_lnkRetry, layout.RetryLink(RightOf(m_lblFailed), retry));
  m_lnkRetry.ShowWindow(SW_HIDE);

  const int webDownload = link(m_lnkWebDownload, L"官网下载？", IDC_WEB_DOWNLOAD);
  Place(m_lnkWebDownload, layout.WebDownloadLink(RightOf(m_lnkRetry), webDownload));
  m_lnkWebDownload.ShowWindow(SW_HIDE);
}

void CDownloaderDlg::CreateFinishedControls() {
  const InstallerLayout layout(ReadScreenDpi());

  const CSize finished =
      CreateLabel(m_lblFinished, L"安装完成", kLabelStyle, AtCorner(layout.FinishedHeight()),
                  this, IDC_FINISHED, kTextGrey, layout.FinishedFont());
  Place(m_lblFinished, layout.Finished(finished.cx));

  const CSize slogan = CreateLabel(m_lblSlogan, L"简单易用、轻松上手、一键转换", kLabelStyle,
                                   AtCorner(layout.TextHeight()), this, IDC_SLOGAN, kTextGrey,
                                   layout.TextFont());
  Place(m_lblSlogan, layout.Slogan(slogan.cx));

  const CSize run = CreatePictureButton(m_btnRun, L"运行", kButtonStyle,
                                        CRect(layout.RunButton(0, 0)), this, IDC_RUN,
                                        IDB_PNG_RUN_BUTTON, 0, RGB(255, 255, 255));
  Place(m_btnRun, layout.RunButton(run.cx, run.cy));
}

void CDownloaderDlg::SetBackgroundImage(UINT nId) {
  m_pBkImage.Load(nId);
  if (!m_pBkImage) return;
  const InstallerLayout layout(ReadScreenDpi());
  const PixelRect window = layout.Window(static_cast<int>(m_pBkImage->GetWidth()),
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
    CMemoryDC memory;
    if (memory.Create(window, client.Width(), client.Height())) {
      {
        gdip::Graphics graphics(memory.m_hDC);
        graphics.DrawImage(*m_pBkImage, {0, 0, client.Width(), client.Height()},
                           {0, 0, static_cast<int>(m_pBkImage->GetWidth()),
                            static_cast<int>(m_pBkImage->GetHeight())});
      }  // the graphics object is gone, so everything it drew is in the bitmap
      window.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    }
  }
  Default();  // the dialog's own paint cycle validates the update region
}

BOOL CDownloaderDlg::OnEraseBkgnd(CDC*) { return TRUE; }

HCURSOR CDownloaderDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
