// Reads one named value of a registry key as text.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class RegistryKey;

class RegistryValue {
public:
    // The key must outlive the reader; a null name reads the key's default value.
    RegistryValue(const RegistryKey& key, const char* name);

    // The value's text, or null unless it is a non-empty REG_SZ of sane size, or a REG_EXPAND_SZ
    // whose expanded text is. Valid until the next call or the reader's end.
    const char* ReadString();

    // Larger values are not folder names; refusing them bounds the allocation.
    static constexpr DWORD kMaxBytes = 64 * 1024;

private:
    const char* Expand(const wchar_t* stored);

    const RegistryKey& m_key;
    bool m_hasName;
    std::string m_name;
    std::unique_ptr<char[]> m_data;
};
