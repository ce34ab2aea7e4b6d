#pragma once
// RegistryKey: one open registry key, closed when its owner ends. Not copyable: it owns the
// handle. Every operation returns the platform's error code (ERROR_SUCCESS on success).

#include <windows.h>

#include <cstddef>
#include <span>
#include <vector>

class RegistryKey {
public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens `subKey` of `root` with `access`, creating it (non-volatile, default security)
  // where it is missing. On failure the error of RegCreateKeyExW, and no key is open.
  LONG Create(HKEY root, const wchar_t* subKey, REGSAM access);
  // Opens the existing `subKey` of `root` with `access`. On failure the error of
  // RegOpenKeyExW (ERROR_FILE_NOT_FOUND: no such key), and no key is open.
  LONG Open(HKEY root, const wchar_t* subKey, REGSAM access);
  // Sets REG_SZ value `name` to exactly the characters of `data`: the terminator, and any
  // fill after it, must be in `data`. ERROR_INVALID_HANDLE when no key is open.
  LONG SetString(const wchar_t* name, std::span<const wchar_t> data);
  // Reads value `name`, whatever its type, whole into `data`. ERROR_SUCCESS with the data;
  // otherwise the error of RegQueryValueExW (ERROR_FILE_NOT_FOUND: no such value;
  // ERROR_INVALID_HANDLE: no key open) and `data` empty.
  LONG QueryValue(const wchar_t* name, std::vector<std::byte>& data) const;
  // Signals `event` once when a value of the key is set or deleted; ask again after each
  // signal. The key must be open with KEY_NOTIFY, and the asking thread must outlive the
  // wait. ERROR_INVALID_HANDLE when no key is open.
  LONG NotifyOnValueChange(HANDLE event) const;
  void Close();

  bool IsOpen() const noexcept { return m_hKey != nullptr; }

private:
  HKEY m_hKey = nullptr;
};
