// The reference of the first-paint benchmark (first_paint.sh), never shipped: the least a
// Win32 program does to show a window like the installer's. One modal dialog from the same
// kind of template, sized to 600 x 400 at the screen's DPI, centred in the work area and
// painted in one solid colour. Built twice: bare, and with the installer's DLL imports
// (INKVANE_BARE_WITH_IMPORTS), so that loading those DLLs can be told from the rest. Its
// start-up notes (trace_notes.h) give the benchmark the same milestones as the installer's.
#include <windows.h>

#include "tools/bench/trace_notes.h"

#ifdef INKVANE_BARE_WITH_IMPORTS
#include <objidl.h>
#include <gdiplus.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

// Referenced, never called: the loader maps each DLL before the program starts.
const void* const kImports[] = {
    reinterpret_cast<const void*>(&Gdiplus::GdiplusStartup),
    reinterpret_cast<const void*>(&::CoCreateInstance),
    reinterpret_cast<const void*>(&::SHGetSpecialFolderPathW),
    reinterpret_cast<const void*>(&::PathIsDirectoryW),
    reinterpret_cast<const void*>(&::URLDownloadToFileW),
    reinterpret_cast<const void*>(&::DeleteUrlCacheEntryW),
    reinterpret_cast<const void*>(&::RegOpenKeyExW),
};
#endif

namespace {

constexpr int kDialogTemplate = 100;
constexpr COLORREF kColour = RGB(231, 75, 63);

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      const trace_notes::Timed timed("dialog initialisation", 0);
      const HDC screen = ::GetDC(nullptr);
      const int width = ::MulDiv(600, ::GetDeviceCaps(screen, LOGPIXELSX), 96);
      const int height = ::MulDiv(400, ::GetDeviceCaps(screen, LOGPIXELSY), 96);
      ::ReleaseDC(nullptr, screen);
      RECT work;
      ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      ::SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, width, height,
                     SWP_NOZORDER);
      return TRUE;
    }
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT: {
      const trace_notes::Timed timed("dialog paint", 0);
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(window, &paint);
      const HBRUSH brush = ::CreateSolidBrush(kColour);
      RECT client;
      ::GetClientRect(window, &client);
      ::FillRect(dc, &client, brush);
      ::DeleteObject(brush);
      ::EndPaint(window, &paint);
      return TRUE;
    }
    case WM_CLOSE:
      ::EndDialog(window, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  const trace_notes::Timed timed("program", 0);
#ifdef INKVANE_BARE_WITH_IMPORTS
  const void* volatile bound = nullptr;
  for (const void* import : kImports) bound = import;
  if (!bound) return 1;
#endif
  return static_cast<int>(
      ::DialogBoxParamW(instance, MAKEINTRESOURCEW(kDialogTemplate), nullptr, DialogProc, 0));
}
