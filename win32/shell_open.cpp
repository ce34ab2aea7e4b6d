#include "win32/shell_open.h"

#include <shellapi.h>

#include "win32/com_apartment.h"

INT_PTR ShellOpen(HWND owner, const wchar_t* target) {
  const ComApartment com;
  return reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(owner, L"open", target, nullptr, nullptr, SW_SHOWNORMAL));
}
