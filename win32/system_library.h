#pragma once
// Windows' own DLLs, taken from the system folder only.
//
// The installer runs elevated, usually from a downloads folder, where a web page may have left
// a DLL named like one of Windows' own. Windows looks beside the program first for a DLL that
// is loaded by name, so such a DLL would run with administrator rights. Three rules keep it out:
// - the program imports only DLLs that Windows always takes from its system folder (its Known
//   DLLs on every version we run on, see CMakeLists.txt);
// - its entry point first makes the system folder the only place the process searches for a
//   DLL named without a path (RestrictDllSearchToSystemFolder), which also covers what
//   Windows' own DLLs load later on the program's behalf;
// - every other DLL it uses is loaded through SystemLibrary, which names the system folder
//   itself and so does not depend on the first two; so are, ahead of their use, the DLLs that
//   Windows' own DLLs load later by bare name (KeepSystemLibrariesLoaded).
//
// Usage, for a DLL needed for one task:
//   SystemLibrary wintrust(L"wintrust.dll");
//   decltype(&::WinVerifyTrust) verify = nullptr;
//   if (!wintrust.Resolve(verify, "WinVerifyTrust")) return Failed(wintrust.error());
//   const LONG status = verify(...);       // the DLL is freed when `wintrust` ends
// A DLL whose functions are needed until the process ends is resolved once into a table of
// typed pointers (LoadedOnce) and kept with KeepForProcess() (controls/gdiplus_image.cpp,
// installer/download.cpp).

#include <windows.h>

#include <initializer_list>
#include <type_traits>

// Makes the system folder the only folder the process searches for a DLL named without a
// path, for the rest of its life, and drops the current folder from the older search order.
// Call it first thing in the entry point. Returns false where Windows cannot restrict the
// search: Windows 7 without update KB2533623 (see the definition for what still holds there).
bool RestrictDllSearchToSystemFolder() noexcept;

// Loads `fileName` ("gdiplus.dll") from the system folder. With `searchFlags` (Windows 8 and
// later, Windows 7 with KB2533623) the DLL and the DLLs it imports are searched there only;
// without, the DLL is named by its full path and its imports are searched in its own folder
// first. Null on failure, with the reason in GetLastError. SystemLibrary chooses the way the
// system supports; a test runs both.
HMODULE LoadFromSystemFolder(const wchar_t* fileName, bool searchFlags) noexcept;

// Whether this Windows knows the LOAD_LIBRARY_SEARCH_* flags (and SetDefaultDllDirectories).
bool SystemKnowsDllSearchFlags() noexcept;

// The export `name` of `module` as a pointer of type F, null when there is no such export (or
// no module). The caller names the type; declare it from the SDK's declaration
// (decltype(&::Function)) so that the compiler checks it.
template <class F>
F ExportOf(HMODULE module, const char* name) noexcept {
  static_assert(std::is_pointer_v<F> && std::is_function_v<std::remove_pointer_t<F>>,
                "F must be a function pointer type");
  const FARPROC address = module ? ::GetProcAddress(module, name) : nullptr;
  // GetProcAddress returns every export as one generic function pointer type; void (*)() is
  // the compiler's generic function pointer, which converts to the real type without a
  // warning.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(address));
}

// One DLL of the system folder, loaded while the object lives (freed by the destructor).
class SystemLibrary {
public:
  // Loads `fileName` from the system folder (LoadFromSystemFolder, in the way this Windows
  // supports). A DLL that cannot be loaded leaves the object empty: every Resolve fails, and
  // error() says why.
  explicit SystemLibrary(const wchar_t* fileName) noexcept;
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // The module, or null when it could not be loaded (or was handed to KeepForProcess).
  HMODULE get() const noexcept { return m_module; }
  // Why the DLL could not be loaded (the system error code), or why the last Resolve failed
  // (ERROR_PROC_NOT_FOUND); ERROR_SUCCESS otherwise.
  DWORD error() const noexcept { return m_error; }

  // Points `function` at the export `name`. Returns false, with `function` null, when the
  // DLL is not loaded or has no such export.
  template <class F>
  bool Resolve(F& function, const char* name) noexcept {
    function = ExportOf<F>(m_module, name);
    if (!function && m_module) m_error = ERROR_PROC_NOT_FOUND;
    return function != nullptr;
  }

  // Lets go of the module without freeing it: it stays loaded until the process ends, and
  // the pointers resolved from it stay valid as long. For DLLs that keep threads, windows or
  // objects of their own (GDI+, the URL moniker, WinINet), which must never be unloaded
  // while any of them may run.
  void KeepForProcess() noexcept { m_module = nullptr; }

private:
  HMODULE m_module = nullptr;
  DWORD m_error = ERROR_SUCCESS;
};

// The value `Load()` returns, computed by the first caller on whichever thread and kept until
// the process ends: for tables of functions resolved from DLLs kept with KeepForProcess. T
// must be constant-initialisable and trivially destructible, so that the storage needs no
// guard and no destructor at exit. A function-local static would do the same through the C++
// run-time's guard, whose failure path drags the exception run-time into the program; this
// uses Windows' one-time initialisation instead.
template <class T, T (*Load)()>
const T& LoadedOnce() noexcept {
  static_assert(std::is_trivially_destructible_v<T>);
  static constinit T value{};
  static constinit INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  ::InitOnceExecuteOnce(
      &once,
      [](PINIT_ONCE, PVOID, PVOID*) WINAPI -> BOOL {
        value = Load();
        return TRUE;
      },
      nullptr, nullptr);
  return value;
}

// Loads each of `fileNames` from the system folder and keeps it until the process ends, for
// DLLs that Windows' own DLLs load later by bare name (delay-loaded imports): a load by name
// finds a module already loaded before it searches any folder. Wine (8.0, measured) resolves
// delay-loaded imports in the search order the process started with, the program's folder
// first, whatever RestrictDllSearchToSystemFolder said. Call it before the first use of the
// DLL that loads them. One that cannot be loaded is skipped: its user then loads it as before.
void KeepSystemLibrariesLoaded(std::initializer_list<const wchar_t*> fileNames) noexcept;
