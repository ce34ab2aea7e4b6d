#pragma once
// Owners for what the platform hands out, each released the platform's way when its owner
// ends: kernel handles, change notifications, LocalAlloc and CoTaskMemAlloc memory, COM
// interfaces. Every deleter of the program is here.

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <type_traits>

// One kernel object handle (a file, an event, a thread). The platform's calls report a
// missing handle either as null or as INVALID_HANDLE_VALUE; both are held as null.
struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Takes ownership of what a platform call returned.
inline UniqueHandle AdoptHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// A folder change notification (FindFirstChangeNotificationW).
struct ChangeNotificationCloser {
  void operator()(HANDLE handle) const noexcept { ::FindCloseChangeNotification(handle); }
};
using ChangeNotification = std::unique_ptr<std::remove_pointer_t<HANDLE>, ChangeNotificationCloser>;

// Memory that a call allocated with LocalAlloc for the caller to free (SIDs as text,
// security descriptors, decoded certificate names).
struct LocalFreer {
  void operator()(void* memory) const noexcept { ::LocalFree(memory); }
};
template <typename T>
using LocalPtr = std::unique_ptr<T, LocalFreer>;

// Memory that the shell allocated with CoTaskMemAlloc (item lists).
struct CoTaskMemFreer {
  void operator()(void* memory) const noexcept { ::CoTaskMemFree(memory); }
};
template <typename T>
using CoTaskMemPtr = std::unique_ptr<T, CoTaskMemFreer>;

// A COM interface pointer whose reference the owner holds.
struct ComReleaser {
  void operator()(IUnknown* p) const noexcept { p->Release(); }
};
template <typename T>
using ComPtrOwner = std::unique_ptr<T, ComReleaser>;
