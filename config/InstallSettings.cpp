// The installer's configuration: install.ini, the program folder and the game folder.
#include "config/InstallSettings.h"

#include <windows.h>

#include "config/EditionTable.h"
#include "config/GameBackup.h"
#include "config/RegistryKey.h"
#include "config/RegistryValue.h"
#include "config/RelativeName.h"
#include "config/SettingsOwner.h"
#include "pack/PackJob.h"

namespace {

// The platform's fixed buffer for values and paths: at most 259 characters.
constexpr DWORD kBufferSize = MAX_PATH;

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
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
    std::string name = index == -1 ? key : key + std::to_string(index);
    char value[kBufferSize];
    DWORD length = GetPrivateProfileStringA(m_section.c_str(), name.c_str(), defaultValue.c_str(), value,
                                            kBufferSize, m_iniPath.c_str());
    return std::string(value, length < kBufferSize ? length : kBufferSize - 1);
}

std::string InstallSettings::FolderFromCommandLine(const std::string& commandLine) {
    std::string program;
    if (!commandLine.empty() && commandLine.front() == '"') {
        program = commandLine.substr(1);
        std::string::size_type quote = program.find('"');
        if (quote != std::string::npos)
            program.erase(quote);
    } else {
        program = UnquotedProgramPath(commandLine);
    }
    std::string::size_type slash = program.rfind('\\');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

std::string InstallSettings::GetProgramDir() {
    if (!m_programDir.empty())
        return m_programDir;
    std::string folder = FolderFromCommandLine(GetCommandLineA());
    if (folder.empty()) {
        char current[kBufferSize];
        DWORD length = GetCurrentDirectoryA(kBufferSize, current);
        // A longer directory does not fit: the call then returns the size it needs, not the text.
        if (length > 0 && length < kBufferSize)
            folder.assign(current, length);
    }
    m_programDir = folder;
    return m_programDir;
}

bool InstallSettings::FileExists(const std::string& path) {
    bool exists = false;
    // A wildcard would make the search match some other file.
    if (path.find_first_of("*?") == std::string::npos) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(path.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            exists = !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        }
    }
    if (!exists && m_owner)
        m_owner->ShowNotice("The file does not exist: " + path, true);
    return exists;
}

std::string InstallSettings::GetShortPath(const std::string& path) const {
    char shortPath[kBufferSize];
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, kBufferSize);
    // Zero is failure; a length of the buffer or more is the size needed, with nothing written.
    if (length == 0 || length >= kBufferSize)
        return path;
    return std::string(shortPath, length);
}

std::string InstallSettings::DetectGameFolder() {
    m_gameFolder.clear();
    if (m_editionCode.empty())
        return m_gameFolder;
    if (const Edition* edition = EditionTable::Find(m_editionCode)) {
        RegistryKey key(HKEY_LOCAL_MACHINE, edition->m_registryKey);
        RegistryValue value(key, "Path");
        const char* text = value.ReadString();
        m_gameFolder = text && *text ? text : edition->m_defaultFolder;
    }
    return m_gameFolder;
}

bool InstallSettings::RunPackJob(bool addMSwitch, FileTransfer::Progress* progress) {
    PackJob::Inputs inputs;
    inputs.editionCode = m_editionCode;
    inputs.destinationPff = m_destinationPff;
    inputs.gameFolder = m_gameFolder;
    inputs.programDir = GetProgramDir();
    inputs.sourcePffs = &m_sourcePffs;
    inputs.fileExists = [this](const std::string& path) { return FileExists(path); };
    inputs.shortPath = [this](const std::string& path) { return GetShortPath(path); };
    inputs.nameIsSafe = &RelativeName::IsSafe;
    inputs.keepOriginal = [this, progress](const std::string& name) {
        return GameBackup(m_gameFolder).Keep(name, progress);
    };
    return PackJob(std::move(inputs), *m_owner).Run(addMSwitch);
}
