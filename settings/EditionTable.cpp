// The five game editions: code, App Paths registry key and default folder.
#include "settings/EditionTable.h"

// Spelled as each game's setup wrote them; the registry ignores the case of key names.
const Edition EditionTable::kRows[kRowCount] = {
    {"KS1", "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ks.exe",
     "c:\\program files\\zentavo\\kestrel squad"},
    {"KS2", "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ks2.exe",
     "c:\\program files\\zentavo\\kestrel squad 2"},
    {"KS3", "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ksnl.exe",
     "c:\\program files\\zentavo\\kestrel squad night lancer"},
    {"V4", "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\v4.exe",
     "C:\\Program Files\\Zentavo\\Vortan 4"},
    {"GRV", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ksgrv.exe",
     "C:\\Program Files\\Zentavo\\Kestrel Squad Grim Valley"},
};

const Edition* EditionTable::Find(const std::string& code) {
    for (const Edition& row : kRows) {
        if (code == row.m_code)
            return &row;
    }
    return nullptr;
}
