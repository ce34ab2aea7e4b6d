#pragma once
// ComApartment: COM, apartment-threaded, on this thread while the object lives. The shell's
// calls (the folder browser, starting a program with a verb) are documented to need it: they
// may go through shell namespace objects and extensions, some of which are COM servers.
// (Wine's shell also works without it.) A thread that has COM already keeps it as it was.

#include <objbase.h>

class ComApartment {
public:
  ComApartment() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(m_hr)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

private:
  HRESULT m_hr;
};
