// Developer's gallery: every picture of the program's resources, loaded and drawn through
// the program's own loader at the screen's DPI, on a checkerboard that shows transparency.
#include <windows.h>

#include <array>
#include <memory>

#include "controls/gdiplus_image.h"
#include "controls/image_frames.h"
#include "controls/png_resource.h"
#include "controls/scaling.h"
#include "res/resource.h"

namespace {

constexpr int kMargin = 16;

struct Placed {
  UINT id;
  int x, y;    // at 96 DPI
  int divide;  // backgrounds are shown at half size to fit the screen
};

// Backgrounds on the first row, button strips on the second, bars on the third.
constexpr std::array kLayout = {
    Placed{IDB_PNG_BACKGROUND_READY, 0, 0, 2},       Placed{IDB_PNG_BACKGROUND_INSTALLING, 316, 0, 2},
    Placed{IDB_PNG_BACKGROUND_FINISHED, 632, 0, 2},  Placed{IDB_PNG_INSTALL_BUTTON, 0, 216, 1},
    Placed{IDB_PNG_RUN_BUTTON, 176, 216, 1},         Placed{IDB_PNG_CHANGE_BUTTON, 352, 216, 1},
    Placed{IDB_PNG_RED_BUTTON, 442, 216, 1},         Placed{IDB_PNG_OUTLINE_BUTTON, 554, 216, 1},
    Placed{IDB_PNG_CHECK_BOX, 666, 216, 1},          Placed{IDB_PNG_CLOSE, 710, 216, 1},
    Placed{IDB_PNG_CLOSE_WHITE, 740, 216, 1},        Placed{IDB_PNG_PROGRESS_TRACK, 0, 392, 1},
    Placed{IDB_PNG_PROGRESS_FILL, 0, 410, 1},
};
constexpr SIZE kContent{932, 420};

struct Gallery {
  gdip::StartupToken gdiplus;
  std::array<std::unique_ptr<gdip::Image>, kLayout.size()> images;
  ScreenDpi dpi = ReadScreenDpi();

  int X(int v) const { return ScaleToDpi(v, dpi.x); }
  int Y(int v) const { return ScaleToDpi(v, dpi.y); }

  void Paint(HDC dc, const RECT& client) const {
    // Checkerboard, so that transparent pixels are visible as such.
    const int cell = X(8);
    HBRUSH light = ::CreateSolidBrush(RGB(250, 250, 250));
    HBRUSH dark = ::CreateSolidBrush(RGB(214, 214, 214));
    for (int y = 0; y < client.bottom; y += cell) {
      for (int x = 0; x < client.right; x += cell) {
        const RECT square{x, y, x + cell, y + cell};
        ::FillRect(dc, &square, ((x / cell + y / cell) % 2) ? dark : light);
      }
    }
    ::DeleteObject(light);
    ::DeleteObject(dark);

    gdip::Graphics graphics(dc);
    for (std::size_t i = 0; i < kLayout.size(); ++i) {
      const Placed& place = kLayout[i];
      if (!images[i]) continue;
      const int w = static_cast<int>(images[i]->GetWidth());
      const int h = static_cast<int>(images[i]->GetHeight());
      const int left = X(kMargin + place.x), top = Y(kMargin + place.y);
      if (place.id == IDB_PNG_CLOSE_WHITE) {  // drawn on the message box's red band
        const RECT band{left, top, left + X(w), top + Y(h)};
        HBRUSH red = ::CreateSolidBrush(RGB(231, 75, 63));
        ::FillRect(dc, &band, red);
        ::DeleteObject(red);
      }
      const RECT dest{left, top, left + X(w) / place.divide, top + Y(h) / place.divide};
      graphics.DrawImage(*images[i], dest, {0, 0, w, h});
    }
  }
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* gallery = reinterpret_cast<Gallery*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT client;
      ::GetClientRect(window, &client);
      gallery->Paint(dc, client);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  Gallery gallery;
  for (std::size_t i = 0; i < kLayout.size(); ++i) LoadPngResource(kLayout[i].id, gallery.images[i]);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  windowClass.lpszClassName = L"InkvaneGallery";
  ::RegisterClassW(&windowClass);

  RECT frame{0, 0, gallery.X(kContent.cx + 2 * kMargin), gallery.Y(kContent.cy + 2 * kMargin)};
  ::AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND window = ::CreateWindowW(L"InkvaneGallery", L"Inkvane gallery", WS_OVERLAPPEDWINDOW,
                                0, 0, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, &gallery);
  ::ShowWindow(window, show);

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
