// The installer's configuration: install.ini, the program folder and the game folder.
#include "settings/InstallSettings.h"

#include <windows.h>

#include "framework/DiskStep.h"
#include "framework/TextFormat.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "settings/EditionTable.h"
#include "settings/IniFile.h"
#include "settings/RegistryKey.h"
#include "settings/RegistryValue.h"

namespace {

// Values and paths: at most 259 characters.
constexpr DWORD kBufferSize = MAX_PATH;
// The most a profile string can hold, and its terminating zero.
constexpr DWORD kLongTextSize = 32768;

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesW(WideText(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// CreateProcess reads an unquoted command line with blanks by trying each blank as the end
// of the program path; the first prefix that names a file is the program.
std::string UnquotedProgramPath(const std::string& commandLine) {
    for (std::string::size_type blank = commandLine.find(' '); blank != std::string::npos;
         blank = commandLine.find(' ', blank + 1)) {
        std::string prefix = commandLine.substr(0, blank);
        if (IsFile(prefix) || IsFile(prefix + ".exe"))
            return prefix;
    }
    return commandLine;
}

// The program file's name as the command line gives it, and where that ends.
std::string ProgramOf(const std::string& commandLine, std::string::size_type* end) {
    if (!commandLine.empty() && commandLine.front() == '"') {
        std::string::size_type quote = commandLine.find('"', 1);
        *end = quote == std::string::npos ? commandLine.size() : quote + 1;
        return commandLine.substr(1, *end - (quote == std::string::npos ? 1 : 2));
    }
    std::string program = UnquotedProgramPath(commandLine);
    // No prefix names a file: the name ends at the first blank, as the C runtime reads it.
    *end = program.size() < commandLine.size() ? program.size() : commandLine.find_first_of(" \t");
    if (*end == std::string::npos)
        *end = commandLine.size();
    return program;
}

} // namespace

InstallSettings::InstallSettings() {
    m_iniPath = GetProgramDir() + "\\install.ini";
    m_section = "installer";
    m_destinationPff = GetIniString("destination_pff", "", -1);
    std::string source = GetIniString("source_pff", "", -1);
    if (!source.empty())
        m_sourcePffs.push_back(source);
    m_editionCode = GetIniString("ks_version", "", -1);
}

InstallSettings::~InstallSettings() = default;

std::string InstallSettings::GetIniString(const std::string& key, const std::string& defaultValue,
                                          int index) const {
    return Ini().Read(m_section.c_str(), (index == -1 ? key : key + std::to_string(index)).c_str(),
                      defaultValue, kBufferSize);
}

const IniFile& InstallSettings::Ini() const {
    // Read once for all its values, and again only when pointed at another file.
    if (!m_ini || m_ini->Path() != m_iniPath)
        m_ini = std::make_unique<IniFile>(m_iniPath);
    return *m_ini;
}

std::string InstallSettings::GetIniText(const std::string& key) const {
    return Ini().Read(m_section.c_str(), key.c_str(), "", kLongTextSize);
}

std::string InstallSettings::ArgumentsFromCommandLine(const std::string& commandLine) {
    std::string::size_type end;
    ProgramOf(commandLine, &end);
    return commandLine.substr(end);
}

std::string InstallSettings::GetProgramDir() {
    if (!m_programDir.empty())
        return m_programDir;
    // The module's own path, never the command line: a starter may quote it oddly, mix separators
    // or name some other file altogether.
    wchar_t module[kBufferSize];
    DWORD length = GetModuleFileNameW(nullptr, module, kBufferSize);
    if (length == 0 || length >= kBufferSize)
        return m_programDir;
    // Made full, with backslashes only, so the name is what follows the last of them.
    wchar_t full[kBufferSize];
    wchar_t* name = nullptr;
    length = GetFullPathNameW(module, kBufferSize, full, &name);
    if (length > 0 && length < kBufferSize && name && name > full)
        m_programDir = Utf8Of(full, static_cast<int>(name - full - 1));
    return m_programDir;
}

std::string InstallSettings::InProgramDir(const std::string& path) const {
    bool relative = !m_programDir.empty() && !path.empty() && path[0] != '\\' && path[0] != '/' &&
                    (path.size() < 2 || path[1] != ':');
    return relative ? m_programDir + "\\" + path : path;
}

bool InstallSettings::FileExists(const std::string& given) const {
    // A relative name means the file the tool finds: the tool runs in the program folder.
    std::string path = InProgramDir(given);
    bool exists = false;
    // A wildcard would make the search match some other file.
    if (path.find_first_of("*?") == std::string::npos) {
        WIN32_FIND_DATAW found;
        exists = UniqueDiskSearch(DiskStep::On().FindFirst(WideText(path).c_str(), &found)) &&
                 !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return exists;
}

std::string InstallSettings::GetShortPath(const std::string& given) const {
    std::string path = InProgramDir(given);
    wchar_t shortPath[kBufferSize];
    DWORD length = GetShortPathNameW(WideText(path).c_str(), shortPath, kBufferSize);
    // Zero is failure; a length of the buffer or more is the size needed, with nothing written.
    if (length == 0 || length >= kBufferSize)
        return path;
    return Utf8Of(shortPath, static_cast<int>(length));
}

std::string InstallSettings::DetectGameFolder() {
    m_gameFolder.clear();
    if (m_editionCode.empty())
        return m_gameFolder;
    if (const Edition* edition = EditionTable::Find(m_editionCode)) {
        RegistryKey key(HKEY_LOCAL_MACHINE, edition->m_registryKey);
        RegistryValue value(key, "Path");
        const char* text = value.ReadString();
        std::string folder = text ? text : "";
        // App Paths values are often written to be appended to a search path, with a closing ';'.
        if (GetFileAttributesW(WideText(folder).c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::string::size_type end = folder.find_last_not_of("; \t");
            folder.erase(end == std::string::npos ? 0 : end + 1);
        }
        m_gameFolder = folder.empty() ? edition->m_defaultFolder : folder;
    }
    return m_gameFolder;
}

bool InstallSettings::SomethingToPack() const {
    return !m_editionCode.empty() && (!m_sourcePffs.empty() || !m_destinationPff.empty());
}

std::string InstallSettings::NothingToInstall() const {
    DWORD error = Ini().Error();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return FormatText("There is nothing to install: %s does not exist.", m_iniPath.c_str());
    if (error != ERROR_SUCCESS)
        return FormatText("There is nothing to install: %s cannot be read (error %lu).", m_iniPath.c_str(),
                          error);
    if (GetIniString("copy_file_", "", 1).empty() && !SomethingToPack())
        return FormatText("There is nothing to install: %s names no file to copy and nothing to pack.",
                          m_iniPath.c_str());
    return std::string();
}
