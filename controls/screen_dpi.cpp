#include <windows.h>

#include "controls/scaling.h"

ScreenDpi ReadScreenDpi() {
  ScreenDpi dpi;
  if (HDC screen = ::GetDC(nullptr)) {
    dpi.x = ::GetDeviceCaps(screen, LOGPIXELSX);
    dpi.y = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }
  return dpi;
}
