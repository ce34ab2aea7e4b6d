// The edit box in real windows: the field's place and font, colours, and whose text shows.
#include "controls/edit_box.h"

#include <gtest/gtest.h>

#include "controls/scaling.h"
#include "gdiplus_fixture.h"
#include "screen_capture.h"
#include "window_test_support.h"

namespace {

int H(int v) { return ScaleToDpi(v, HarnessDpi()); }

constexpr COLORREF kFrameGrey = RGB(209, 209, 209);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class EditBoxTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(50, 50, H(600), H(400)));
    // The installer's folder field: 414 x 32 at (76, 338), created with SS_NOPREFIX only.
    ASSERT_TRUE(frame.Create(L"", 0x50000080, CRect(H(76), H(338), H(76 + 414), H(338 + 32)),
                             &host, 10041));
  }

  // Paints the window tree, including the field the frame creates or updates as it draws.
  void Paint() {
    RepaintNow(host);
    PumpFor(30);
  }

  CTestHost host;
  CEditEx frame;
};

}  // namespace

TEST_F(EditBoxTest, CreatesTheFieldInsideTheFrameAtItsFirstDraw) {
  EXPECT_EQ(frame.GetStyle() & (SS_TYPEMASK | SS_NOTIFY | SS_NOPREFIX),
            static_cast<DWORD>(SS_OWNERDRAW | SS_NOTIFY | SS_NOPREFIX));
  EXPECT_EQ(frame.m_edit.m_hWnd, nullptr);
  EXPECT_TRUE(frame.m_edit.GetWindowText().IsEmpty()) << "no field yet, no text";

  Paint();
  ASSERT_NE(frame.m_edit.m_hWnd, nullptr);
  EXPECT_EQ(::GetParent(frame.m_edit.m_hWnd), frame.m_hWnd);
  EXPECT_EQ(frame.m_edit.GetDlgCtrlID(), 1);
  const DWORD style = frame.m_edit.GetStyle();
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER),
            static_cast<DWORD>(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL));

  CRect field;
  frame.m_edit.GetWindowRect(&field);
  frame.ScreenToClient(&field);
  // 404 x 22 at 96 DPI, 605 x 32 at 144 DPI.
  EXPECT_EQ(field.left, H(5));
  EXPECT_EQ(field.top, H(5));
  EXPECT_EQ(field.right, H(414) - H(5));
  EXPECT_EQ(field.bottom, H(32) - H(5));

  const auto font = reinterpret_cast<HFONT>(frame.m_edit.SendMessage(WM_GETFONT));
  LOGFONTW logFont{};
  ASSERT_TRUE(::GetObjectW(font, sizeof logFont, &logFont));
  EXPECT_EQ(logFont.lfHeight, field.Height());
  EXPECT_STREQ(logFont.lfFaceName, L"Microsoft YaHei");
  CClientDC dc(&frame.m_edit);
  const HGDIOBJ old = dc.SelectObject(font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.m_hDC, &metrics);
  dc.SelectObject(old);
  // A cell as tall as the field: 22 at 96 DPI; the font mapper may round a pixel away.
  EXPECT_NEAR(metrics.tmHeight, H(32) - 2 * H(5), 1);

  // Later draws neither move the field nor make another.
  const HWND created = frame.m_edit.m_hWnd;
  Paint();
  EXPECT_EQ(frame.m_edit.m_hWnd, created);
}

TEST_F(EditBoxTest, DrawsAGreyOutlineAroundAFaceThatMatchesTheField) {
  frame.m_edit.m_crText = RGB(101, 101, 101);
  frame.SetText(L"WWWW");
  Paint();
  const int w = H(414), h = H(32);
  {
    const auto shown = CaptureClient(frame);
    for (POINT p : {POINT{0, 0}, POINT{w / 2, 0}, POINT{w - 1, h / 2}, POINT{w / 2, h - 1},
                    POINT{0, h / 2}, POINT{w - 1, h - 1}})
      EXPECT_EQ(shown->At(p.x, p.y), kFrameGrey) << p.x << ", " << p.y;
    EXPECT_EQ(shown->At(2, 2), kFrameGrey) << "the default face";
  }

  frame.SetBackgroundWhite();
  Paint();
  const auto shown = CaptureClient(frame);
  EXPECT_EQ(shown->At(0, 0), kFrameGrey);
  EXPECT_EQ(shown->At(w - 1, h - 1), kFrameGrey);
  EXPECT_EQ(shown->At(2, 2), kWhite);
  EXPECT_EQ(shown->At(w - 3, h / 2), kWhite);
  EXPECT_EQ(frame.m_edit.m_crBackground, kWhite);

  const auto field = CaptureClient(frame.m_edit);
  CRect client;
  frame.m_edit.GetClientRect(&client);
  EXPECT_TRUE(ColourNear(DarkestIn(*field, client), RGB(101, 101, 101), 12)) << "the text";
  EXPECT_EQ(field->At(client.right - 2, client.bottom / 2), kWhite) << "behind and after the text";
}

TEST_F(EditBoxTest, WhatTheUserTypesSurvivesRedrawsUntilSetTextReplacesIt) {
  frame.SetText(L"C:\\Program Files\\Inkvane");
  Paint();
  EXPECT_EQ(frame.m_edit.GetWindowText(), CString(L"C:\\Program Files\\Inkvane"));

  frame.m_edit.SendMessage(EM_SETSEL, 0, -1);
  for (wchar_t c : {L'D', L':', L'\\', L'x', L'y'}) frame.m_edit.SendMessage(WM_CHAR, c, 1);
  frame.m_edit.SendMessage(EM_SETSEL, 3, 3);  // the caret in the middle, as the user left it
  Paint();
  EXPECT_EQ(frame.m_edit.GetWindowText(), CString(L"D:\\xy"));
  DWORD start = 0, end = 0;
  frame.m_edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 3u) << "a draw does not move the caret";
  EXPECT_EQ(end, 3u);

  frame.SetText(L"E:\\Tools");  // repaints the frame itself
  PumpFor(30);
  EXPECT_EQ(frame.m_edit.GetWindowText(), CString(L"E:\\Tools"));
}

TEST_F(EditBoxTest, MasksAndDisablesTheFieldAsAsked) {
  frame.m_bPassword = TRUE;
  frame.m_bDisabled = TRUE;
  frame.SetText(L"secret");
  Paint();
  EXPECT_EQ(frame.m_edit.SendMessage(EM_GETPASSWORDCHAR), L'*');
  EXPECT_FALSE(::IsWindowEnabled(frame.m_edit.m_hWnd));
  EXPECT_TRUE(frame.m_edit.IsWindowVisible());

  frame.m_bDisabled = FALSE;
  Paint();
  EXPECT_TRUE(::IsWindowEnabled(frame.m_edit.m_hWnd)) << "clearing the flag gives input back";
}
