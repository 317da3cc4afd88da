// A scratch add-on folder with the installer in it, a game folder and the game's registry entry.
#pragma once

#include <map>
#include <string>

#include "support/TempFolder.h"

class AddonLayout {
public:
    // The installer is copied in under this file name, which becomes the application name.
    // Both folders' names end in folderSuffix.
    explicit AddonLayout(const std::string& exeName = "KSInstaller.exe",
                         const std::string& folderSuffix = "");
    ~AddonLayout(); // removes the registry entry again

    const std::string& ProgramDir() const { return m_program.Path(); }
    const std::string& GameDir() const { return m_game.Path(); }
    const std::string& Exe() const { return m_exe; }
    TempFolder& Program() { return m_program; }
    TempFolder& Game() { return m_game; }
    const TempFolder& Program() const { return m_program; }
    const TempFolder& Game() const { return m_game; }

    void WriteIni(const std::string& keys);
    // Records the game's folder for an edition as its setup would.
    void RegisterGame(const std::string& editionCode, const std::string& path);

private:
    TempFolder m_program;
    TempFolder m_game;
    std::string m_exe;
    std::string m_registeredKey;
};

// Every file below a game folder with its content and last write time, without what the pack tool
// itself writes beside it (its log and its record of arguments) and the folder's lock.
std::map<std::string, std::string> GameFiles(const std::string& folder);
