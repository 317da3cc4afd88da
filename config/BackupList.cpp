// The backup's list of kept and added game files, one "kept NAME" or "added NAME" line each.
#include "config/BackupList.h"

#include <cstring>
#include <memory>

#include "config/RelativeName.h"
#include "framework/FileTransfer.h"
#include "framework/Handles.h"

namespace {
// Far more than thirty files and an archive ever need; a bigger file is not ours.
constexpr DWORD kMaxListSize = 1 << 20;

const char* const kKept = "kept ";
const char* const kAdded = "added ";

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, strlen(start), start) == 0;
}

DWORD WriteText(HANDLE file, const std::string& text) {
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return GetLastError();
    if (written != text.size())
        return ERROR_WRITE_FAULT;
    return FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
}

std::string LineOf(const BackupList::Entry& entry) {
    return (entry.kept ? kKept : kAdded) + entry.name + "\r\n";
}
} // namespace

BackupList::BackupList(const std::string& gameFolder) : m_gameFolder(gameFolder) {
    // A folder at a drive root is held with its backslash ("C:\").
    if (!m_gameFolder.empty() && m_gameFolder.back() == '\\')
        m_gameFolder.pop_back();
    m_path = BackupFolder() + "\\" + kFileName;
}

bool BackupList::IsReserved(const std::string& name) {
    std::string::size_type end = name.find_first_of("\\/");
    std::string first = name.substr(0, end);
    return lstrcmpiA(first.c_str(), kFolderName) == 0 || lstrcmpiA(name.c_str(), kFileName) == 0;
}

const BackupList::Entry* BackupList::Find(const std::string& name) const {
    for (const Entry& entry : m_entries) {
        if (lstrcmpiA(entry.name.c_str(), name.c_str()) == 0)
            return &entry;
    }
    return nullptr;
}

bool BackupList::Load() {
    m_entries.clear();
    m_refused.clear();
    m_wholeLength = 0;
    m_loadError = ERROR_SUCCESS;
    if (m_gameFolder.empty())
        return false;
    UniqueFileHandle file(
        CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            m_loadError = error;
        return false;
    }
    // Taken for no list, a list held by another program or cut short would have its first
    // originals kept again over the old ones and its unread lines cut off by the next append.
    std::unique_ptr<char[]> buffer(new char[kMaxListSize]);
    DWORD size = 0;
    if (!ReadFile(file.get(), buffer.get(), kMaxListSize, &size, nullptr))
        m_loadError = GetLastError();
    else if (size == kMaxListSize)
        m_loadError = ERROR_FILE_TOO_LARGE;
    if (m_loadError != ERROR_SUCCESS)
        return false;
    std::string::size_type start = 0;
    const std::string text(buffer.get(), size);
    for (std::string::size_type end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (end == std::string::npos) {
            // A last line without its end was torn by a crash, or the list is garbage.
            m_refused.push_back(line);
            break;
        }
        m_wholeLength = static_cast<LONGLONG>(end) + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        bool kept = StartsWith(line, kKept);
        std::string name;
        std::string joined;
        if (kept || StartsWith(line, kAdded)) {
            name = line.substr(strlen(kept ? kKept : kAdded));
            for (char& c : name)
                c = c == '/' ? '\\' : c;
        }
        if (name.empty() || IsReserved(name) || !RelativeName::JoinInside(m_gameFolder, name, joined))
            m_refused.push_back(line);
        else if (!Find(name))
            m_entries.push_back({kept, name});
    }
    return true;
}

DWORD BackupList::Append(const Entry& entry) {
    UniqueFileHandle file(
        CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    // A torn line is cut off first, so the new line cannot complete it into some other name.
    LARGE_INTEGER at;
    at.QuadPart = m_wholeLength;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
        return GetLastError();
    std::string line = LineOf(entry);
    DWORD error = WriteText(file.get(), line);
    if (error == ERROR_SUCCESS) {
        m_wholeLength += static_cast<LONGLONG>(line.size());
        m_entries.push_back(entry);
    }
    return error;
}

DWORD BackupList::Rewrite(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& entry : entries)
        text += LineOf(entry);
    const std::string temporary = FileTransfer::TemporaryName(m_path.c_str());
    DWORD error;
    {
        UniqueFileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return GetLastError();
        error = WriteText(file.get(), text);
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS)
        DeleteFileA(temporary.c_str());
    else {
        m_entries = entries;
        m_wholeLength = static_cast<LONGLONG>(text.size());
    }
    return error;
}
