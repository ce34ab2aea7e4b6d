#include "controls_page.h"

#include <array>
#include <list>
#include <string>

#include "controls/check_box.h"
#include "controls/edit_box.h"
#include "controls/image_button.h"
#include "controls/image_text_button.h"
#include "controls/label.h"
#include "controls/message_box.h"
#include "controls/progress_bar.h"
#include "controls/scaling.h"
#include "controls/text_button.h"
#include "framework/afxwin.h"
#include "gallery_resources.h"
#include "installer/package_contract.h"
#include "res/resource.h"

namespace {

constexpr DWORD kButtonStyle = 0x50000200;
constexpr DWORD kLabelStyle = 0x50020000;
constexpr DWORD kLinkStyle = 0x50020100;
constexpr COLORREF kRed = RGB(231, 75, 63);
constexpr UINT WM_OPEN_BOX = WM_APP + 1;  // wParam: OpenBox; handled on the UI thread
constexpr UINT IDC_OPEN_NOTICE = 60, IDC_OPEN_QUESTION = 61;

class CControlsPage : public CDialog {
public:
  explicit CControlsPage(OpenBox open) : CDialog(IDD_GALLERY), m_open(open) {}

protected:
  BOOL OnInitDialog() override {
    SetWindowText(L"Inkvane gallery: controls");
    RECT frame{0, 0, X(840), Y(540)};
    ::AdjustWindowRectEx(&frame, GetStyle(), FALSE, 0);
    SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);

    for (int state = 0; state < 4; ++state) {
      ImageButton(IDB_PNG_CLOSE, RGB(255, 255, 255), 16 + 30 * state, 20, state);
      ImageButton(IDB_PNG_CLOSE_WHITE, kRed, 160 + 30 * state, 20, state);
      TextButton(L"安装", IDB_PNG_INSTALL_BUTTON, kRed, 0, 16 + 176 * state, 50, state);
      TextButton(L"运行", IDB_PNG_RUN_BUTTON, RGB(255, 255, 255), 0, 16 + 176 * state, 100, state);
      TextButton(L"更改", IDB_PNG_CHANGE_BUTTON, RGB(68, 68, 68), X(20), 16 + 90 * state, 150, state);
      TextButton(L"是", IDB_PNG_OUTLINE_BUTTON, RGB(102, 102, 102), 22, 16 + 106 * state, 192, state);
      TextButton(L"否", IDB_PNG_RED_BUTTON, RGB(255, 255, 255), 22, 16 + 106 * state, 234, state);
      TextButton(L"好的", IDB_PNG_RED_BUTTON, RGB(255, 255, 255), 22, 16 + 106 * state, 276, state);
      CheckBox(false, 460 + 30 * state, 196, state);
      CheckBox(true, 600 + 30 * state, 196, state);
      Link(L"许可协议", X(17), {RGB(240, 181, 183), kRed, kRed, RGB(102, 102, 102)}, 460 + 90 * state, 236, state);
      Link(L"重试？", X(20), {RGB(0, 149, 255), RGB(47, 152, 255), RGB(47, 152, 255), RGB(102, 102, 102)},
           460 + 90 * state, 276, state);
    }

    Label(L"默认标签", 20, RGB(60, 60, 60), 16, 322, 20);
    Label(L"Inkvane", X(22), RGB(60, 60, 60), 160, 318, 25);
    Label(L"安装失败，", X(20), RGB(255, 0, 0), 300, 322, 20);
    Label(L"正在安装中，请稍等...", X(20), RGB(60, 60, 60), 460, 322, 20);

    auto& field = m_edits.emplace_back();
    field.Create(L"", 0x50000080, Rect(16, 356, 414, 32), this, 41);
    field.SetBackgroundWhite();
    field.m_edit.m_crText = RGB(101, 101, 101);
    field.SetText(std::wstring(L"C") + package_contract::kDefaultFolderTail);

    const int positions[] = {0, 1, 45, 100};
    for (int i = 0; i < 4; ++i) {
      auto& bar = m_bars.emplace_back();
      bar.Create(L"", kButtonStyle, Rect(16, 404 + 22 * i, 0, 0), this, 50 + i);
      bar.LoadImages();
      bar.Advance([&](std::int64_t) { return std::optional<std::int64_t>(positions[i]); });
    }

    const std::array<COLORREF, 4> blue{RGB(0, 149, 255), RGB(47, 152, 255), RGB(47, 152, 255), RGB(102, 102, 102)};
    Link(L"打开提示框", X(20), blue, 600, 404, STATE_NORMAL, IDC_OPEN_NOTICE);
    Link(L"打开询问框", X(20), blue, 600, 440, STATE_NORMAL, IDC_OPEN_QUESTION);
    if (m_open != OpenBox::None) PostMessage(WM_OPEN_BOX, static_cast<WPARAM>(m_open));
    return TRUE;
  }

  void OnOpenNotice() { OpenMessageBox(OpenBox::Notice); }
  void OnOpenQuestion() { OpenMessageBox(OpenBox::Question); }
  LRESULT OnOpenBox(WPARAM wParam, LPARAM) {
    OpenMessageBox(static_cast<OpenBox>(wParam));
    return 0;
  }

  void OpenMessageBox(OpenBox kind) {
    const bool question = kind == OpenBox::Question;
    CMessageBoxEx box(question ? L"您确定中止安装吗？" : L"当前所选磁盘内存不足，请重新选择安装路径",
                      question ? 1 : 0, this);
    box.DoModal();
  }

  void OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(client, RGB(255, 255, 255));
    dc.FillSolidRect(CRect(X(150), Y(12), X(290), Y(50)), kRed);  // the message box's band
  }

  BOOL OnEraseBkgnd(CDC*) { return TRUE; }

  DECLARE_MESSAGE_MAP()

private:
  int X(int v) const { return ScaleToDpi(v, m_dpi.x); }
  int Y(int v) const { return ScaleToDpi(v, m_dpi.y); }
  CRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(x) + X(w), Y(y) + Y(h)}; }

  // The first of each row (state 0) stays live; the others show their state for good.
  template <class T>
  static void Freeze(T& control, int state) {
    control.m_nState = state;
    control.m_bEnabled = state == STATE_NORMAL;
  }

  void ImageButton(UINT image, COLORREF background, int x, int y, int state) {
    auto& button = m_imageButtons.emplace_back();
    button.Create(L"", kButtonStyle, Rect(x, y, 0, 0), this, 0);
    button.SetImage(image);
    button.m_crBackground = background;
    Freeze(button, state);
  }

  void TextButton(const wchar_t* text, UINT image, COLORREF colour, int fontHeight, int x, int y, int state) {
    auto& button = m_textButtons.emplace_back();
    button.Create(text, kButtonStyle, Rect(x, y, 0, 0), this, 0);
    button.SetImage(image);
    for (COLORREF& c : button.m_crText) c = colour;
    if (fontHeight) button.m_nFontHeight = fontHeight;
    Freeze(button, state);
  }

  void CheckBox(bool checked, int x, int y, int state) {
    auto& box = m_checkBoxes.emplace_back();
    box.Create(L"", 0x50000202, Rect(x, y, 0, 0), this, 0);
    box.SetImage();
    box.SetChecked(checked);
    Freeze(box, state);
  }

  void Link(const wchar_t* text, int fontHeight, std::array<COLORREF, 4> colours, int x, int y,
            int state, UINT id = 0) {
    auto& link = m_links.emplace_back();
    link.Create(text, kLinkStyle, CRect(0, 0, 0, fontHeight), this, id);
    link.SetFontHeight(fontHeight);
    for (int i = 0; i < 4; ++i) link.m_crText[i] = colours[static_cast<std::size_t>(i)];
    const CSize size = link.MeasureText();
    link.MoveWindow(X(x), Y(y), size.cx, size.cy);
    Freeze(link, state);
  }

  void Label(const wchar_t* text, int fontHeight, COLORREF colour, int x, int y, int height) {
    auto& label = m_labels.emplace_back();
    label.Create(text, kLabelStyle, CRect(0, 0, 0, X(height)), this, 0);
    label.m_crText = colour;
    label.SetFontHeight(fontHeight);
    CSize size;
    label.MeasureText(size);
    label.MoveWindow(X(x), Y(y), size.cx, size.cy);
  }

  OpenBox m_open;
  ScreenDpi m_dpi = ReadScreenDpi();
  // Lists: controls are bound to their windows by address, so they must never move.
  std::list<CImageButtonEx> m_imageButtons;
  std::list<CImageTextButtonEx> m_textButtons;
  std::list<CCheckBoxEx> m_checkBoxes;
  std::list<CTextButtonEx> m_links;
  std::list<CStaticEx> m_labels;
  std::list<CEditEx> m_edits;
  std::list<CProgressCtrlEx> m_bars;
};

BEGIN_MESSAGE_MAP(CControlsPage, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_BN_CLICKED(IDC_OPEN_NOTICE, OnOpenNotice)
  ON_BN_CLICKED(IDC_OPEN_QUESTION, OnOpenQuestion)
  ON_MESSAGE(WM_OPEN_BOX, OnOpenBox)
END_MESSAGE_MAP()

}  // namespace

void RunControlsPage(OpenBox open) {
  CControlsPage page(open);
  page.DoModal();
}
