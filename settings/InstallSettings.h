// The installer's configuration: install.ini, the program folder and the game folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/IniFile.h"

class InstallSettings {
public:
    InstallSettings();
    virtual ~InstallSettings();
    InstallSettings(const InstallSettings&) = delete;
    InstallSettings& operator=(const InstallSettings&) = delete;

    // The value of key (followed by index unless it is -1), at most 259 characters.
    std::string GetIniString(const std::string& key, const std::string& defaultValue, int index) const;
    // Absolute, found once, from the module's own path.
    std::string GetProgramDir();
    // Relative paths below mean the file in the program folder, where the pack tool runs.
    // True for an existing file that is not a folder.
    bool FileExists(const std::string& path) const;
    std::string GetShortPath(const std::string& path) const;
    // The configured edition's folder from the registry or its default; also sets m_gameFolder.
    std::string DetectGameFolder();
    // An edition and at least one archive are named: an installation packs, or fails.
    bool SomethingToPack() const;
    // Why an installation would do nothing: install.ini missing or unreadable, or naming no file to
    // copy and nothing to pack. Empty when there is something to install.
    std::string NothingToInstall() const;
    // The licence, which may be far longer than the other values: up to 32,767 characters.
    std::string GetIniText(const std::string& key) const;

    // What follows the program file's name on a command line, as it is.
    static std::string ArgumentsFromCommandLine(const std::string& commandLine);
    // A relative path joined to the program folder; others as they are.
    std::string InProgramDir(const std::string& path) const;

    std::string m_gameFolder;
    std::string m_iniPath;
    std::string m_section;
    std::string m_destinationPff;
    std::string m_programDir;
    std::vector<std::string> m_sourcePffs;
    std::string m_editionCode;

private:
    const IniFile& Ini() const;

    mutable std::unique_ptr<IniFile> m_ini;
};
