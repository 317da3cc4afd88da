// Reads one named value of a registry key as text.
#include "config/RegistryValue.h"

#include "config/RegistryKey.h"

namespace {
bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}
} // namespace

RegistryValue::RegistryValue(const RegistryKey& key, const char* name)
    : m_key(key), m_hasName(name != nullptr), m_name(name ? name : "") {}

const char* RegistryValue::ReadString() {
    m_data.reset();
    HKEY handle = m_key.Handle();
    if (!handle)
        return nullptr;
    const char* name = m_hasName ? m_name.c_str() : nullptr;

    DWORD type = 0;
    DWORD size = 0;
    RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size);
    // The value may grow or change type between the queries; a few retries settle it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!IsText(type) || size == 0 || size > kMaxBytes)
            return nullptr;
        // One byte more than the data, so a value stored without its terminating zero still ends.
        auto buffer = std::make_unique<char[]>(size + 1);
        DWORD received = size;
        LONG status =
            RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.get()), &received);
        if (status == ERROR_MORE_DATA) {
            size = received;
            continue;
        }
        if (status != ERROR_SUCCESS || !IsText(type) || received > size)
            return nullptr;
        buffer[received] = '\0';
        m_data = std::move(buffer);
        return type == REG_EXPAND_SZ ? Expand() : m_data.get();
    }
    return nullptr;
}

const char* RegistryValue::Expand() {
    // The expanded text is bounded as the stored one is; too long a result counts as no value.
    DWORD size = ExpandEnvironmentStringsA(m_data.get(), nullptr, 0);
    if (size == 0 || size > kMaxBytes)
        return nullptr;
    auto expanded = std::make_unique<char[]>(size);
    DWORD length = ExpandEnvironmentStringsA(m_data.get(), expanded.get(), size);
    if (length == 0 || length > size)
        return nullptr;
    m_data = std::move(expanded);
    return m_data.get();
}
