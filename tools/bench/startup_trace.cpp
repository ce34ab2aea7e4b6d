// Linked only into the traced copy of the installer (first_paint.sh), never into the
// program that ships: times the start-up's parts without a change to the program's code.
// The linker sends the calls between the program's files through these wrappers
// (-Wl,--wrap=SYMBOL makes a call to SYMBOL reach __wrap_SYMBOL, and __real_SYMBOL reach
// the original); each wrapper notes when its call began and ended (trace_notes.h).
#include <windows.h>

#include <memory>

#include "controls/gdiplus_image.h"
#include "controls/scaling.h"
#include "framework/afxwin.h"
#include "tools/bench/trace_notes.h"

using trace_notes::Timed;

// Member functions take their object in a register on i686 (thiscall); their wrappers,
// plain functions with the object as first argument, must do the same.
#ifdef __i386__
#define MEMBER_CALL __attribute__((thiscall))
#else
#define MEMBER_CALL
#endif

// The wrapped functions, by their linker names; the first line of each is its C++ name.
extern "C" {
// int AfxWinMain(CWinApp&)
int __real__Z10AfxWinMainR7CWinApp(CWinApp& app);
int __wrap__Z10AfxWinMainR7CWinApp(CWinApp& app) {
  Timed timed("program", 0);
  return __real__Z10AfxWinMainR7CWinApp(app);
}

// CDownloaderDlg::CDownloaderDlg()
MEMBER_CALL void __real__ZN14CDownloaderDlgC1Ev(void* self);
MEMBER_CALL void __wrap__ZN14CDownloaderDlgC1Ev(void* self) {
  Timed timed("window constructed", 0);
  __real__ZN14CDownloaderDlgC1Ev(self);
}

// INT_PTR CDialog::DoModal()
MEMBER_CALL INT_PTR __real__ZN7CDialog7DoModalEv(CDialog* self);
MEMBER_CALL INT_PTR __wrap__ZN7CDialog7DoModalEv(CDialog* self) {
  Timed timed("dialog run", 0);
  return __real__ZN7CDialog7DoModalEv(self);
}

// BOOL CWnd::SubclassWindow(HWND): the dialog binds its object at WM_INITDIALOG
MEMBER_CALL BOOL __real__ZN4CWnd14SubclassWindowEP6HWND__(CWnd* self, HWND window);
MEMBER_CALL BOOL __wrap__ZN4CWnd14SubclassWindowEP6HWND__(CWnd* self, HWND window) {
  Timed timed("dialog initialisation", 0);
  return __real__ZN4CWnd14SubclassWindowEP6HWND__(self, window);
}

// BOOL CWnd::CreateEx(DWORD, LPCWSTR, LPCWSTR, DWORD, const RECT&, CWnd*, UINT): controls
MEMBER_CALL BOOL __real__ZN4CWnd8CreateExEmPKwS1_mRK7tagRECTPS_j(
    CWnd* self, DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const RECT& rect,
    CWnd* parent, UINT id);
MEMBER_CALL BOOL __wrap__ZN4CWnd8CreateExEmPKwS1_mRK7tagRECTPS_j(
    CWnd* self, DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const RECT& rect,
    CWnd* parent, UINT id) {
  Timed timed("control window create", static_cast<int>(id));
  return __real__ZN4CWnd8CreateExEmPKwS1_mRK7tagRECTPS_j(self, exStyle, className, text, style,
                                                         rect, parent, id);
}

// gdip::StartupToken::StartupToken()
MEMBER_CALL void __real__ZN4gdip12StartupTokenC1Ev(gdip::StartupToken* self);
MEMBER_CALL void __wrap__ZN4gdip12StartupTokenC1Ev(gdip::StartupToken* self) {
  Timed timed("GDI+ start-up", 0);
  __real__ZN4gdip12StartupTokenC1Ev(self);
}

// BOOL LoadPngResource(UINT, std::unique_ptr<gdip::Image>&)
BOOL __real__Z15LoadPngResourcejRSt10unique_ptrIN4gdip5ImageESt14default_deleteIS1_EE(
    UINT id, std::unique_ptr<gdip::Image>& image);
BOOL __wrap__Z15LoadPngResourcejRSt10unique_ptrIN4gdip5ImageESt14default_deleteIS1_EE(
    UINT id, std::unique_ptr<gdip::Image>& image) {
  Timed timed("picture load", static_cast<int>(id));
  return __real__Z15LoadPngResourcejRSt10unique_ptrIN4gdip5ImageESt14default_deleteIS1_EE(
      id, image);
}

// void gdip::Graphics::DrawImage(const Image&, const RECT&, const PixelRect&)
MEMBER_CALL void __real__ZN4gdip8Graphics9DrawImageERKNS_5ImageERK7tagRECTRK9PixelRect(
    gdip::Graphics* self, const gdip::Image& image, const RECT& dest, const PixelRect& source);
MEMBER_CALL void __wrap__ZN4gdip8Graphics9DrawImageERKNS_5ImageERK7tagRECTRK9PixelRect(
    gdip::Graphics* self, const gdip::Image& image, const RECT& dest, const PixelRect& source) {
  Timed timed("picture draw", static_cast<int>(dest.right - dest.left));
  __real__ZN4gdip8Graphics9DrawImageERKNS_5ImageERK7tagRECTRK9PixelRect(self, image, dest,
                                                                         source);
}

// BOOL CreateKitFont(CFont&, int)
BOOL __real__Z13CreateKitFontR5CFonti(CFont& font, int height);
BOOL __wrap__Z13CreateKitFontR5CFonti(CFont& font, int height) {
  Timed timed("font create", height);
  return __real__Z13CreateKitFontR5CFonti(font, height);
}

// CSize MeasureWindowText(CWnd&, const CFont&)
CSize __real__Z17MeasureWindowTextR4CWndRK5CFont(CWnd& control, const CFont& font);
CSize __wrap__Z17MeasureWindowTextR4CWndRK5CFont(CWnd& control, const CFont& font) {
  Timed timed("text measure", 0);
  return __real__Z17MeasureWindowTextR4CWndRK5CFont(control, font);
}

// ScreenDpi ReadScreenDpi()
ScreenDpi __real__Z13ReadScreenDpiv();
ScreenDpi __wrap__Z13ReadScreenDpiv() {
  Timed timed("DPI read", 0);
  return __real__Z13ReadScreenDpiv();
}
}
