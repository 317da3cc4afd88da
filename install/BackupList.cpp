// The backup's list of kept and added game files, one "kept NAME" or "added NAME" line each.
#include "install/BackupList.h"

#include <cstring>

#include "framework/DiskStep.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "install/GameFolderLock.h"
#include "install/RelativeName.h"

namespace {
// Far more than thirty files and an archive ever need; a bigger file is not ours.
constexpr DWORD kMaxListSize = 1 << 20;

const char* const kKept = "kept ";
const char* const kAdded = "added ";
const char* const kByteOrderMark = "\xEF\xBB\xBF";
const char* const kWideByteOrderMark = "\xFF\xFE";
const char* const kBigEndianByteOrderMark = "\xFE\xFF";

bool StartsWith(const std::string& text, const char* start) {
    return text.compare(0, strlen(start), start) == 0;
}

DWORD WriteText(HANDLE file, const std::string& text) {
    if (DWORD error = DiskStep::Write(file, text.data(), static_cast<DWORD>(text.size())))
        return error;
    return DiskStep::Flush(file);
}

// An editor may save the list as UTF-16, either byte order; it is read as the text it is, and goes
// over to UTF-8 at the next line written. Other text is as it was.
std::string FromWide(const std::string& bytes) {
    const bool big = StartsWith(bytes, kBigEndianByteOrderMark);
    if (!big && !StartsWith(bytes, kWideByteOrderMark))
        return bytes;
    return Utf8FromUtf16(bytes.data() + 2, bytes.size() - 2, big);
}

// The whole list at `path` as text, or why it could not be read (ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND when there is none). Taken for no list, a list held by another program or
// cut short would have its first originals kept again over the old ones and its unread lines cut
// off by the next append.
DWORD ReadText(const std::string& path, std::string& text) {
    text.clear();
    DiskStep::Files& files = DiskStep::On();
    UniqueDiskFile file(files.Create(WideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
    if (!file)
        return GetLastError();
    // Lists are small: read in pieces rather than into a buffer of the largest size on every load.
    char piece[4096];
    for (DWORD got = 1; got > 0;) {
        if (!files.Read(file.get(), piece, sizeof piece, &got))
            return GetLastError();
        if (text.size() + got >= kMaxListSize)
            return ERROR_FILE_TOO_LARGE;
        text.append(piece, got);
    }
    text = FromWide(text);
    return ERROR_SUCCESS;
}

// Where the last line starts when it has no line end; the text's size when it has one.
std::string::size_type UnendedTail(const std::string& text) {
    std::string::size_type end = text.find_last_of("\r\n");
    return end == std::string::npos ? (text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0) : end + 1;
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
    if (RelativeName::SameName(name.substr(0, name.find('\\')), kFolderName) ||
        RelativeName::SameName(name.substr(0, name.find('\\')), kWorkFolder))
        return true;
    // The folder's lock is held by whoever works on it: no line may ask for it.
    if (RelativeName::SameName(name, kFileName) || RelativeName::SameName(name, kTemporaryName) ||
        RelativeName::SameName(name, Utf8Of(GameFolderLock::kFileName)))
        return true;
    // By a short name inside the backup, its kept copy would be some other file there.
    return !RelativeName::SameName(RelativeName::LongName(BackupFolder(), name), name);
}

const BackupList::Entry* BackupList::Find(const std::string& name) const {
    const std::string wanted = RelativeName::LongName(m_gameFolder, name);
    for (const Entry& entry : m_entries) {
        if (RelativeName::SameName(entry.name, wanted))
            return &entry;
    }
    return nullptr;
}

void BackupList::Adopt(const std::string& name) {
    m_entries.push_back({true, name});
}

void BackupList::Read(const std::string& bytes, const std::string& ending) {
    if (bytes.empty())
        return;
    // An earlier version wrote its lines in the system code page; a line that is not UTF-8 is one.
    std::string line =
        IsUtf8(bytes.data(), bytes.size()) ? bytes : Utf8FromCodePage(CP_ACP, bytes.data(), bytes.size());
    bool kept = StartsWith(line, kKept);
    std::string name;
    std::string joined;
    if (kept || StartsWith(line, kAdded)) {
        name = line.substr(strlen(kept ? kKept : kAdded));
        for (char& c : name)
            c = c == '/' ? '\\' : c;
    }
    // Without its line end a crash may have torn it: "added gu" is no name to delete.
    if (ending.empty() || name.empty() || !RelativeName::JoinInside(m_gameFolder, name, joined) ||
        IsReserved(name)) {
        m_refused.push_back(bytes);
        m_refusedBytes += bytes + ending;
        return;
    }
    // In its long form, resolved in the game folder: the backup's own short names may lead elsewhere.
    name = RelativeName::LongName(m_gameFolder, name);
    const Entry* known = Find(name);
    // "added" is written first, and "kept" after it only where it could not be read: there was no
    // file before, and the kept one is an add-on's.
    if (known && !kept)
        m_entries[static_cast<size_t>(known - m_entries.data())].kept = false;
    else if (!known)
        m_entries.push_back({kept, name});
}

bool BackupList::Load() {
    m_entries.clear();
    m_refused.clear();
    m_refusedBytes.clear();
    m_loadError = ERROR_SUCCESS;
    m_unreachable = false;
    if (m_gameFolder.empty())
        return false;
    std::string text;
    m_loadError = ReadText(m_path, text);
    if (m_loadError == ERROR_FILE_NOT_FOUND || m_loadError == ERROR_PATH_NOT_FOUND) {
        m_loadError = ERROR_SUCCESS;
        // A backup folder that is a link to a drive not connected holds what it held: no "nothing
        // kept", which would keep again over the originals there once it is back.
        WIN32_FIND_DATAW found;
        DiskStep::Files& files = DiskStep::On();
        UniqueDiskSearch self(files.FindFirst(WideText(BackupFolder()).c_str(), &found));
        if (self && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !UniqueDiskSearch(files.FindFirst(WideText(BackupFolder() + "\\*").c_str(), &found))) {
            m_unreachable = true;
            m_loadError = ERROR_PATH_NOT_FOUND;
        }
        return false;
    }
    if (m_loadError != ERROR_SUCCESS)
        return false;
    // An editor may have put a byte-order mark before the first line.
    std::string::size_type start = 0;
    if (StartsWith(text, kByteOrderMark))
        start = strlen(kByteOrderMark);
    // CR LF, LF or CR alone end a line; no name holds either.
    while (start < text.size()) {
        std::string::size_type end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            Read(text.substr(start), "");
            break;
        }
        std::string::size_type next = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        Read(text.substr(start, end - start), text.substr(end, next - end));
        start = next;
    }
    return true;
}

DWORD BackupList::Append(const Entry& entry) {
    // At the list's real end, not where the last Load saw it end.
    std::string text;
    DWORD error = ReadText(m_path, text);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        return error;
    // A last line without its end stays so, after the new one: appended to, it would read as some
    // other name. The list changes in one step, so a crash never tears a line; the lines there stay
    // word for word.
    const std::string::size_type tail = UnendedTail(text);
    error = Replace(text.substr(0, tail) + LineOf(entry) + text.substr(tail));
    if (error == ERROR_SUCCESS)
        m_entries.push_back(entry);
    return error;
}

DWORD BackupList::Replace(const std::string& text) const {
    const WideText work(WorkFolder());
    DiskStep::MakeFolder(work.c_str());
    const WideText temporary(WorkFolder() + "\\list.new");
    DWORD error;
    {
        UniqueDiskFile file(
            DiskStep::Create(temporary.c_str(), GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
        if (!file)
            return GetLastError();
        error = WriteText(file.get(), text);
    }
    if (error == ERROR_SUCCESS)
        error = DiskStep::Move(temporary.c_str(), WideText(m_path).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (error != ERROR_SUCCESS)
        DiskStep::Delete(temporary.c_str());
    return error;
}

DWORD BackupList::Rewrite(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& entry : entries)
        text += LineOf(entry);
    DWORD error = Replace(text + m_refusedBytes);
    if (error == ERROR_SUCCESS)
        m_entries = std::vector<Entry>(entries);
    return error;
}
