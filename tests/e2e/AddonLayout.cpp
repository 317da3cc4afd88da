// A scratch add-on folder with the installer in it, a game folder and the game's registry entry.
#include "AddonLayout.h"

#include <windows.h>

#include "Driver.h"
#include "framework/WideText.h"
#include "settings/EditionTable.h"

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

std::map<std::string, std::string> GameFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    WalkTree(folder, [&](const std::string& name, const WIN32_FIND_DATAW& found) {
        std::string leaf = name.substr(name.rfind('\\') + 1);
        if (leaf.rfind("log_", 0) == 0 || leaf == "pack-args.txt" || leaf == "KSInstaller.lock")
            return;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files[name + "\\"] = "";
        else
            files[name] = ReadWholeFile(folder + "\\" + name) + " @" +
                          std::to_string(found.ftLastWriteTime.dwLowDateTime) + "," +
                          std::to_string(found.ftLastWriteTime.dwHighDateTime);
    });
    return files;
}
