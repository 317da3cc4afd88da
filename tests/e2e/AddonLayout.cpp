// A scratch add-on folder with the installer in it, a game folder and the game's registry entry.
#include "AddonLayout.h"

#include <windows.h>

#include "Driver.h"
#include "framework/WideText.h"
#include "config/EditionTable.h"

AddonLayout::AddonLayout(const std::string& exeName, const std::string& folderSuffix)
    : m_program(folderSuffix), m_game(folderSuffix) {
    m_exe = m_program / exeName;
    CopyFileW(WideText(WindowsPath(KS_INSTALLER_EXE)).c_str(), WideText(m_exe).c_str(), FALSE);
}

AddonLayout::~AddonLayout() {
    if (!m_registeredKey.empty())
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_registeredKey.c_str());
}

void AddonLayout::WriteIni(const std::string& keys) {
    m_program.WriteFile("install.ini", "[installer]\r\n" + keys);
}

void AddonLayout::RegisterGame(const std::string& editionCode, const std::string& path) {
    const Edition* edition = EditionTable::Find(editionCode);
    if (!edition)
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, edition->m_registryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    WideText wide(path);
    RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   DWORD((wide.Length() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    m_registeredKey = edition->m_registryKey;
}
