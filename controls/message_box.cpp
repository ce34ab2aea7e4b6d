#include "controls/message_box.h"

#include "res/resource.h"

IMPLEMENT_DYNAMIC(CMessageBoxEx, CDialog)

namespace {

constexpr UINT kLabelId = 10100;  // both labels: nobody asks for them by id
constexpr UINT kCloseId = 10110;
constexpr UINT kYesId = 10111;
constexpr UINT kNoId = 10112;  // "否", or the notice's "好的"

constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_RIGHT;

constexpr COLORREF kBandColour = RGB(231, 75, 63);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMessageColour = RGB(60, 60, 60);
constexpr COLORREF kYesColour = RGB(102, 102, 102);

CRect ToRect(const BoxPlacement& p) { return {p.x, p.y, p.x + p.width, p.y + p.height}; }

// Creates a label with a generous rectangle, then shrinks it to its text at `Place`.
template <class Place>
void CreateLabel(CStaticEx& label, const wchar_t* text, const BoxPlacement& atCreation,
                 CWnd* parent, COLORREF colour, int fontHeight, Place place) {
  label.Create(text, kLabelStyle, ToRect(atCreation), parent, kLabelId);
  label.m_crText = colour;
  label.SetFontHeight(fontHeight);
  CSize size;
  label.MeasureText(size);
  label.MoveWindow(ToRect(place(size.cx, size.cy)));
}

// The button sizes itself from its picture; its caption has one colour in every state.
void CreateButton(CImageTextButtonEx& button, const wchar_t* caption, UINT id,
                  const BoxPlacement& at, CWnd* parent, UINT image, COLORREF colour) {
  button.Create(caption, kButtonStyle, ToRect(at), parent, id);
  button.SetImage(image);
  button.m_nFontHeight = kMessageBoxButtonFontHeight;
  for (COLORREF& entry : button.m_crText) entry = colour;
}

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

  CreateLabel(m_lblTitle, L"提示", layout.TitleAtCreation(), this, kWhite, layout.LabelFont(),
              [&](int w, int h) { return layout.Title(w, h); });

  const BoxPlacement closeAt = layout.CloseButton(0, 0);
  m_btnClose.Create(L"", kButtonStyle, ToRect(closeAt), this, kCloseId);
  m_btnClose.SetImage(IDB_PNG_CLOSE_WHITE);
  m_btnClose.m_crBackground = kBandColour;
  CRect closeClient;
  m_btnClose.GetClientRect(&closeClient);
  m_btnClose.MoveWindow(ToRect(layout.CloseButton(closeClient.Width(), closeClient.Height())));

  CreateLabel(m_lblMessage, m_strText, layout.MessageAtCreation(), this, kMessageColour,
              layout.LabelFont(), [&](int w, int h) { return layout.Message(w, h); });

  if (m_bConfirm) {
    CreateButton(m_btnFirst, L"是", kYesId, layout.FirstButton(true), this,
                 IDB_PNG_OUTLINE_BUTTON, kYesColour);
    CreateButton(m_btnSecond, L"否", kNoId, layout.SecondButton(), this, IDB_PNG_RED_BUTTON,
                 kWhite);
  } else {
    CreateButton(m_btnFirst, L"好的", kNoId, layout.FirstButton(false), this,
                 IDB_PNG_RED_BUTTON, kWhite);
  }
  return TRUE;
}

void CMessageBoxEx::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  // The context's default brush fills the face white inside the one-pixel frame.
  CPen frame(PS_SOLID, 1, kBandColour);
  const HGDIOBJ previousPen = dc.SelectObject(frame);
  ::Rectangle(dc.m_hDC, client.left, client.top, client.right, client.bottom);
  dc.FillSolidRect(CRect(m_dragBand.left, m_dragBand.top, m_dragBand.right, m_dragBand.bottom),
                   kBandColour);
  dc.SelectObject(previousPen);
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
