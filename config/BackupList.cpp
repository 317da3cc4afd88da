// The backup's list of kept and added game files, one "kept NAME" or "added NAME" line each.
#include "config/BackupList.h"

#include <cstring>
#include <memory>

#include "config/RelativeName.h"
#include "framework/Handles.h"

namespace {
// Far more than thirty files and an archive ever need; a bigger file is not ours.
constexpr DWORD kMaxListSize = 1 << 20;

const char* const kKept = "kept ";
const char* const kAdded = "added ";
const char* const kByteOrderMark = "\xEF\xBB\xBF";

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

// The whole list from where the file pointer stands. Taken for no list, a list held by another
// program or cut short would have its first originals kept again over the old ones and its unread
// lines cut off by the next append.
DWORD ReadWhole(HANDLE file, std::string& text) {
    std::unique_ptr<char[]> buffer(new char[kMaxListSize]);
    DWORD size = 0;
    for (DWORD got = 1; got > 0 && size < kMaxListSize; size += got) {
        if (!ReadFile(file, buffer.get() + size, kMaxListSize - size, &got, nullptr))
            return GetLastError();
    }
    if (size == kMaxListSize)
        return ERROR_FILE_TOO_LARGE;
    text.assign(buffer.get(), size);
    return ERROR_SUCCESS;
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

bool BackupList::IsReserved(const std::string& given) const {
    // Both lie in the game folder: the name as the disk resolves it leads into the backup exactly
    // when its first part is the backup folder's, whatever short name or spelling it came in.
    const std::string name = RelativeName::LongName(m_gameFolder, given);
    if (RelativeName::SameName(name.substr(0, name.find('\\')), kFolderName))
        return true;
    if (RelativeName::SameName(name, kFileName) || RelativeName::SameName(name, kTemporaryName))
        return true;
    // By a short name inside the backup, its kept copy would be some other file there.
    return !RelativeName::SameName(RelativeName::LongName(BackupFolder(), name), name);
}

const BackupList::Entry* BackupList::Find(const std::string& name) const {
    const std::string wanted = RelativeName::LongName(m_gameFolder, name);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (RelativeName::SameName(m_longNames[i], wanted))
            return &m_entries[i];
    }
    return nullptr;
}

void BackupList::Add(const Entry& entry) {
    m_entries.push_back(entry);
    m_longNames.push_back(RelativeName::LongName(m_gameFolder, entry.name));
}

bool BackupList::Load() {
    m_entries.clear();
    m_longNames.clear();
    m_refused.clear();
    m_torn = false;
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
    std::string text;
    m_loadError = ReadWhole(file.get(), text);
    if (m_loadError != ERROR_SUCCESS)
        return false;
    // An editor may have put a UTF-8 byte-order mark before the first line.
    std::string::size_type start = StartsWith(text, kByteOrderMark) ? strlen(kByteOrderMark) : 0;
    for (std::string::size_type end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (end == std::string::npos) {
            // A last line without its end was torn by a crash, or the list is garbage.
            m_refused.push_back(line);
            m_torn = true;
            break;
        }
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
        if (name.empty() || !RelativeName::JoinInside(m_gameFolder, name, joined) || IsReserved(name))
            m_refused.push_back(line);
        else if (!Find(name))
            Add({kept, name});
    }
    return true;
}

DWORD BackupList::Append(const Entry& entry) {
    UniqueFileHandle file(CreateFileA(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    // At the list's real end, not where the last Load saw it end; a torn line there is cut off
    // first, so the new line cannot complete it into some other name.
    std::string text;
    if (DWORD error = ReadWhole(file.get(), text))
        return error;
    std::string::size_type lastEnd = text.rfind('\n');
    LARGE_INTEGER at;
    at.QuadPart = lastEnd == std::string::npos ? 0 : static_cast<LONGLONG>(lastEnd) + 1;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
        return GetLastError();
    DWORD error = WriteText(file.get(), LineOf(entry));
    if (error == ERROR_SUCCESS)
        Add(entry);
    return error;
}

DWORD BackupList::Rewrite(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& entry : entries)
        text += LineOf(entry);
    for (size_t i = 0; i < m_refused.size(); ++i)
        text += m_refused[i] + (m_torn && i + 1 == m_refused.size() ? "" : "\r\n");
    const std::string temporary = BackupFolder() + "\\" + kTemporaryName;
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
    if (error != ERROR_SUCCESS) {
        DeleteFileA(temporary.c_str());
        return error;
    }
    const std::vector<Entry> written = entries;
    m_entries.clear();
    m_longNames.clear();
    for (const Entry& entry : written)
        Add(entry);
    return error;
}
