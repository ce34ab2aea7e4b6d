#include "controls/message_box.h"

#include "res/resource.h"

IMPLEMENT_DYNAMIC(CMessageBoxEx, CDialog)

namespace {

constexpr UINT kLabelId = 10100;  // both labels: nobody asks for them by id
constexpr UINT kCloseId = 10110;
constexpr UINT kYesId = 10111;
constexpr UINT kNoId = 10112;  // "否", or the notice's "好的"

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
static_assert(kLabelStyle == 0x50020000);
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_RIGHT;
static_assert(kButtonStyle == 0x50000200);

constexpr COLORREF kBandColour = RGB(231, 75, 63);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMessageColour = RGB(60, 60, 60);
constexpr COLORREF kYesColour = RGB(102, 102, 102);

}  // namespace

BEGIN_MESSAGE_MAP(CMessageBoxEx, CDialog)
  ON_WM_PAINT()
  ON_WM_LBUTTONDOWN()
  ON_BN_CLICKED(kCloseId, OnBtnClose)
  ON_BN_CLICKED(kNoId, OnBtnNo)
  ON_BN_CLICKED(kYesId, OnBtnYes)
END_MESSAGE_MAP()

CMessageBoxEx::CMessageBoxEx(const CString& strText, int bConfirm, CWnd* pParent)
    : CDialog(IDD_MESSAGEBOX, pParent),
      m_bConfirm(bConfirm),
      m_dragBand(MessageBoxLayout(ReadScreenDpi()).Band()),
      m_strText(strText) {}

CMessageBoxEx::~CMessageBoxEx() = default;

BOOL CMessageBoxEx::OnInitDialog() {
  CDialog::OnInitDialog();
  const MessageBoxLayout layout(ReadScreenDpi());

  // Not moved here, so the framework centres the box over its owner afterwards.
  SetWindowPos(nullptr, 0, 0, layout.Width(), layout.Height(), SWP_NOMOVE);
  ModifyStyle(0, DS_SETFOREGROUND);

  const CSize title = CreateLabel(m_lblTitle, L"提示", kLabelStyle,
                                  CRect(layout.TitleAtCreation()), this, kLabelId, kWhite,
                                  layout.LabelFont());
  m_lblTitle.MoveWindow(CRect(layout.Title(title.cx, title.cy)));

  // The caption is never drawn: it names the button for a screen reader.
  m_btnClose.Create(L"关闭", kButtonStyle, CRect(layout.CloseButton(0, 0)), this, kCloseId);
  m_btnClose.SetImage(IDB_PNG_CLOSE_WHITE);
  m_btnClose.m_crBackground = kBandColour;
  CRect closeClient;
  m_btnClose.GetClientRect(&closeClient);
  m_btnClose.MoveWindow(CRect(layout.CloseButton(closeClient.Width(), closeClient.Height())));

  const CSize message =
      CreateLabel(m_lblMessage, m_strText, kLabelStyle, CRect(layout.MessageAtCreation()), this,
                  kLabelId, kMessageColour, layout.LabelFont());
  m_lblMessage.MoveWindow(CRect(layout.Message(message.cx, message.cy)));

  // The buttons size themselves from their pictures; each caption has one colour.
  const auto button = [&](CImageTextButtonEx& control, const wchar_t* caption, UINT id,
                          const PixelRect& corner, UINT image, COLORREF colour) {
    CreatePictureButton(control, caption, kButtonStyle, CRect(corner), this, id, image,
                        kMessageBoxButtonFontHeight, colour);
  };
  if (m_bConfirm) {
    button(m_btnFirst, L"是", kYesId, layout.FirstButton(true), IDB_PNG_OUTLINE_BUTTON,
           kYesColour);
    button(m_btnSecond, L"否", kNoId, layout.SecondButton(), IDB_PNG_RED_BUTTON, kWhite);
  } else {
    button(m_btnFirst, L"好的", kNoId, layout.FirstButton(false), IDB_PNG_RED_BUTTON, kWhite);
  }
  return TRUE;
}

void CMessageBoxEx::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  // The context's default brush fills the face white inside the one-pixel frame.
  const CPen frame(PS_SOLID, 1, kBandColour);
  const CSelectGuard frameSelected(dc, frame);
  ::Rectangle(dc.m_hDC, client.left, client.top, client.right, client.bottom);
  dc.FillSolidRect(CRect(m_dragBand), kBandColour);
}

void CMessageBoxEx::OnLButtonDown(UINT, CPoint point) {
  Default();
  // Presses on the labels arrive here too: static controls let the mouse through.
  if (!m_dragBand.Contains(point.x, point.y)) return;
  // The system then drags the box as if by a caption. The message carries screen
  // coordinates, like a real press on a caption.
  POINT screen = point;
  ::ClientToScreen(m_hWnd, &screen);
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

void CMessageBoxEx::OnBtnClose() {
  m_nResult = 0;
  SendMessage(WM_CLOSE);
}

void CMessageBoxEx::OnBtnYes() {
  m_nResult = 1;
  SendMessage(WM_CLOSE);
}

void CMessageBoxEx::OnBtnNo() {
  m_nResult = 0;
  SendMessage(WM_CLOSE);
}
