// One registry key, opened for reading only.
#pragma once

#include <windows.h>

#include "framework/Handles.h"

class RegistryKey {
public:
    // Opens subkey below root with query access; never creates it.
    RegistryKey(HKEY root, const char* subkey);

    HKEY Handle() const { return m_handle.get(); }
    LONG Error() const { return m_error; }

private:
    UniqueRegKey m_handle;
    LONG m_error;
};
