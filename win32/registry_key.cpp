#include "win32/registry_key.h"

LONG RegistryKey::Create(HKEY root, const wchar_t* subKey, REGSAM access) {
  Close();
  HKEY key = nullptr;
  const LONG result = ::RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) m_hKey = key;
  return result;
}

LONG RegistryKey::Open(HKEY root, const wchar_t* subKey, REGSAM access) {
  Close();
  HKEY key = nullptr;
  const LONG result = ::RegOpenKeyExW(root, subKey, 0, access, &key);
  if (result == ERROR_SUCCESS) m_hKey = key;
  return result;
}

LONG RegistryKey::SetString(const wchar_t* name, std::span<const wchar_t> data) {
  if (!m_hKey) return ERROR_INVALID_HANDLE;
  return ::RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size_bytes()));
}

LONG RegistryKey::QueryValue(const wchar_t* name, std::vector<std::byte>& data) const {
  data.clear();
  if (!m_hKey) return ERROR_INVALID_HANDLE;
  // A value the size of a path fits the first try; a larger one is read again at its
  // size, which may have grown in between.
  data.resize(MAX_PATH * sizeof(wchar_t));
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    const LONG result = ::RegQueryValueExW(m_hKey, name, nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(data.data()), &size);
    if (result == ERROR_SUCCESS) {
      data.resize(size);
      return result;
    }
    if (result != ERROR_MORE_DATA || size <= data.size()) {
      data.clear();
      return result;
    }
    data.resize(size);
  }
}

LONG RegistryKey::NotifyOnValueChange(HANDLE event) const {
  if (!m_hKey) return ERROR_INVALID_HANDLE;
  return ::RegNotifyChangeKeyValue(m_hKey, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event, TRUE);
}

void RegistryKey::Close() {
  if (m_hKey) ::RegCloseKey(m_hKey);
  m_hKey = nullptr;
}
