// Test helper, never shipped: holds a known number of objects made with raw API calls and
// never released, so that a test can see each count of the object probe move by exactly that.
//   inkvane_leak_plant.exe BRUSHES EVENTS WINDOWS READY_EVENT QUIT_EVENT
// Makes BRUSHES solid brushes, EVENTS unnamed events and WINDOWS top-level windows (hidden,
// each with no children), then signals the named event READY_EVENT and waits for the named
// event QUIT_EVENT (at most one minute), answering window messages meanwhile.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) return 2;
  const int brushes = _wtoi(argv[1]), events = _wtoi(argv[2]), windows = _wtoi(argv[3]);
  for (int i = 0; i < brushes; ++i)
    if (!::CreateSolidBrush(RGB(i, 0, 0))) return 3;
  for (int i = 0; i < events; ++i)
    if (!::CreateEventW(nullptr, TRUE, FALSE, nullptr)) return 3;
  for (int i = 0; i < windows; ++i)
    if (!::CreateWindowExW(0, L"STATIC", L"planted", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr))
      return 3;
  HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
  HANDLE quit = ::OpenEventW(SYNCHRONIZE, FALSE, argv[5]);
  if (!ready || !quit) return 4;
  ::SetEvent(ready);
  const DWORD end = ::GetTickCount() + 60'000;
  while (::GetTickCount() < end) {
    if (::MsgWaitForMultipleObjects(1, &quit, FALSE, end - ::GetTickCount(), QS_ALLINPUT) == WAIT_OBJECT_0)
      return 0;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  }
  return 5;
}
