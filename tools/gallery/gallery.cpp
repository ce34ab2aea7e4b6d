// Developer's gallery: every picture of the program's resources, loaded and drawn through
// the program's own loader at the screen's DPI on a checkerboard that shows transparency,
// and the controls of the kit, live: they follow the mouse as they do in the installer.
#include <windows.h>

#include <array>
#include <string_view>

#include "controls/gdiplus_image.h"
#include "controls/image_button.h"
#include "controls/png_resource.h"
#include "controls/scaling.h"
#include "framework/afxwin.h"
#include "controls_page.h"
#include "gallery_resources.h"
#include "res/resource.h"

namespace {

constexpr int kMargin = 16;

struct Placed {
  UINT id;
  int x, y;    // at 96 DPI, inside the margin
  int divide;  // backgrounds are shown at half size to fit the screen
};

// Backgrounds on the first row, button strips on the second, bars on the third.
constexpr std::array kPictures = {
    Placed{IDB_PNG_BACKGROUND_READY, 0, 0, 2},       Placed{IDB_PNG_BACKGROUND_INSTALLING, 316, 0, 2},
    Placed{IDB_PNG_BACKGROUND_FINISHED, 632, 0, 2},  Placed{IDB_PNG_INSTALL_BUTTON, 0, 216, 1},
    Placed{IDB_PNG_RUN_BUTTON, 176, 216, 1},         Placed{IDB_PNG_CHANGE_BUTTON, 352, 216, 1},
    Placed{IDB_PNG_RED_BUTTON, 442, 216, 1},         Placed{IDB_PNG_OUTLINE_BUTTON, 554, 216, 1},
    Placed{IDB_PNG_CHECK_BOX, 666, 216, 1},          Placed{IDB_PNG_CLOSE, 710, 216, 1},
    Placed{IDB_PNG_CLOSE_WHITE, 740, 216, 1},        Placed{IDB_PNG_PROGRESS_TRACK, 0, 392, 1},
    Placed{IDB_PNG_PROGRESS_FILL, 0, 410, 1},
};
constexpr SIZE kContent{932, 420};
constexpr POINT kLiveCloseButtons{780, 216};  // the two close buttons, live, on white and on red

constexpr COLORREF kBandRed = RGB(231, 75, 63);

class CGalleryDlg : public CDialog {
public:
  CGalleryDlg() : CDialog(IDD_GALLERY) {
    for (std::size_t i = 0; i < kPictures.size(); ++i) m_images[i].Load(kPictures[i].id);
  }

protected:
  BOOL OnInitDialog() override {
    RECT frame{0, 0, X(kContent.cx + 2 * kMargin), Y(kContent.cy + 2 * kMargin)};
    ::AdjustWindowRectEx(&frame, GetStyle(), FALSE, 0);
    SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);

    const int left = X(kMargin + kLiveCloseButtons.x), top = Y(kMargin + kLiveCloseButtons.y);
    m_close.Create(L"", 0x50000200, CRect(left, top, left, top), this, 1001);
    m_close.SetImage(IDB_PNG_CLOSE);
    m_closeOnRed.Create(L"", 0x50000200, CRect(left + X(30), top, left + X(30), top), this, 1002);
    m_closeOnRed.SetImage(IDB_PNG_CLOSE_WHITE);
    m_closeOnRed.m_crBackground = kBandRed;
    return TRUE;
  }

  // Either close button ends the gallery: its click reaches the owner like any command.
  void OnCloseButton() { EndDialog(IDOK); }

  void OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    PaintCheckerboard(dc, client);
    gdip::Graphics graphics(dc.m_hDC);
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
      const Placed& place = kPictures[i];
      if (!m_images[i]) continue;
      const int w = static_cast<int>(m_images[i]->GetWidth());
      const int h = static_cast<int>(m_images[i]->GetHeight());
      const int left = X(kMargin + place.x), top = Y(kMargin + place.y);
      if (place.id == IDB_PNG_CLOSE_WHITE) dc.FillSolidRect(CRect(left, top, left + X(w), top + Y(h)), kBandRed);
      graphics.DrawImage(*m_images[i], {left, top, left + X(w) / place.divide, top + Y(h) / place.divide},
                         {0, 0, w, h});
    }
  }

  BOOL OnEraseBkgnd(CDC*) { return TRUE; }

  DECLARE_MESSAGE_MAP()

private:
  int X(int v) const { return ScaleToDpi(v, m_dpi.x); }
  int Y(int v) const { return ScaleToDpi(v, m_dpi.y); }

  void PaintCheckerboard(CDC& dc, const CRect& area) const {
    const int cell = X(8);
    for (int y = 0; y < area.bottom; y += cell) {
      for (int x = 0; x < area.right; x += cell) {
        const bool dark = (x / cell + y / cell) % 2;
        dc.FillSolidRect(CRect(x, y, x + cell, y + cell), dark ? RGB(214, 214, 214) : RGB(250, 250, 250));
      }
    }
  }

  ScreenDpi m_dpi = ReadScreenDpi();
  std::array<Picture, kPictures.size()> m_images;
  CImageButtonEx m_close;
  CImageButtonEx m_closeOnRed;
};

BEGIN_MESSAGE_MAP(CGalleryDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_BN_CLICKED(1001, OnCloseButton)
  ON_BN_CLICKED(1002, OnCloseButton)
END_MESSAGE_MAP()

}  // namespace

//   inkvane_gallery.exe            the pictures
//   inkvane_gallery.exe controls   the controls in every state
//   inkvane_gallery.exe notice     the same, with a notice box open over them
//   inkvane_gallery.exe question   the same, with a yes/no box open over them
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  const std::wstring_view page(commandLine);
  if (page == L"controls" || page == L"notice" || page == L"question") {
    RunControlsPage(page == L"notice" ? OpenBox::Notice
                    : page == L"question" ? OpenBox::Question : OpenBox::None);
    return 0;
  }
  CGalleryDlg gallery;
  gallery.DoModal();
  return 0;
}
