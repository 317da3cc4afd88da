// Reads one named value of a registry key as text.
#include "settings/RegistryValue.h"

#include <cstring>

#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "settings/RegistryKey.h"

namespace {
bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

std::unique_ptr<char[]> Utf8Copy(const wchar_t* text) {
    std::string utf8 = Utf8Of(text);
    std::unique_ptr<char[]> copy(new char[utf8.size() + 1]);
    std::memcpy(copy.get(), utf8.c_str(), utf8.size() + 1);
    return copy;
}
} // namespace

RegistryValue::RegistryValue(const RegistryKey& key, const char* name)
    : m_key(key), m_hasName(name != nullptr), m_name(name ? name : "") {}

const char* RegistryValue::ReadString() {
    m_data.reset();
    HKEY handle = m_key.Handle();
    if (!handle)
        return nullptr;
    const WideText name(m_hasName ? m_name.c_str() : nullptr);

    DWORD type = 0;
    DWORD size = 0;
    RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size);
    // The value may grow or change type between the queries; a few retries settle it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!IsText(type) || size == 0 || size > kMaxBytes)
            return nullptr;
        // One character more than the data, so a value stored without its terminating zero still ends.
        const DWORD units = size / sizeof(wchar_t) + 1;
        std::unique_ptr<wchar_t[]> buffer(new wchar_t[units]);
        DWORD received = size;
        LONG status = RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer.get()), &received);
        if (status == ERROR_MORE_DATA) {
            size = received;
            continue;
        }
        if (status != ERROR_SUCCESS || !IsText(type) || received > size)
            return nullptr;
        buffer[received / sizeof(wchar_t)] = L'\0';
        if (type == REG_EXPAND_SZ)
            return Expand(buffer.get());
        m_data = Utf8Copy(buffer.get());
        return m_data.get();
    }
    return nullptr;
}

const char* RegistryValue::Expand(const wchar_t* stored) {
    // The expanded text is bounded as the stored one is; too long a result counts as no value.
    DWORD size = ExpandEnvironmentStringsW(stored, nullptr, 0);
    if (size == 0 || size > kMaxBytes / sizeof(wchar_t))
        return nullptr;
    std::unique_ptr<wchar_t[]> expanded(new wchar_t[size]);
    DWORD length = ExpandEnvironmentStringsW(stored, expanded.get(), size);
    if (length == 0 || length > size)
        return nullptr;
    m_data = Utf8Copy(expanded.get());
    return m_data.get();
}
