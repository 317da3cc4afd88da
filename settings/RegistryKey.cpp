// One registry key, opened for reading only.
#include "settings/RegistryKey.h"

#include "framework/WideText.h"

RegistryKey::RegistryKey(HKEY root, const char* subkey) {
    // Read access only: a standard user may read what the game's setup recorded under
    // HKEY_LOCAL_MACHINE but not write there, and a missing key must not be left behind.
    HKEY key = nullptr;
    m_error = RegOpenKeyExW(root, WideText(subkey).c_str(), 0, KEY_QUERY_VALUE, &key);
    if (m_error == ERROR_SUCCESS)
        m_handle.reset(key);
}
