// The five game editions: code, App Paths registry key and default folder.
#pragma once

#include <string>

struct Edition {
    const char* m_code;
    const char* m_registryKey; // below HKEY_LOCAL_MACHINE; the value read is "Path"
    const char* m_defaultFolder;
};

class EditionTable {
public:
    static constexpr int kRowCount = 5;
    static const Edition kRows[kRowCount];

    // The first row whose code equals code byte for byte; null when none does.
    static const Edition* Find(const std::string& code);
};
