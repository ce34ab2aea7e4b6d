#pragma once
// UniqueHandle: one kernel object handle (a file, an event, a thread), closed when its owner
// ends. The platform's calls report a missing handle either as null or as
// INVALID_HANDLE_VALUE; both are held as null.

#include <windows.h>

#include <memory>
#include <type_traits>

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Takes ownership of what a platform call returned.
inline UniqueHandle AdoptHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}
