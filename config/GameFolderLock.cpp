// One installation or restore per game folder at a time, across processes and computers.
#include "config/GameFolderLock.h"

#include <cstring>

#include "framework/TextFormat.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "pack/BatchLine.h"
#include "pack/LogCounter.h"

namespace {
// Written into each lock, so that one a power cut left behind is told from someone else's file.
constexpr char kMark[] = "KSInstaller lock\r\n";
constexpr DWORD kMarkLength = sizeof kMark - 1;
// A lock that its holder is closing stays in the way for a moment, deleted but not yet gone.
constexpr int kTries = 20;
constexpr DWORD kRetryMs = 10;

// The longest name looked for in the folder: the lock, or a log such as "log_-2147483648.txt".
constexpr size_t kLongestName = 20;

std::string InFolder(const char* gameFolder, const char* name) {
    std::string folder = gameFolder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder + "\\" + name;
}

// The folder full, ready for a name; in the form without the MAX_PATH limit where a name would
// take it past that, so that any folder the installer can work in can be locked.
std::string FolderPrefix(const char* gameFolder) {
    std::string folder = InFolder(gameFolder, "");
    wchar_t full[MAX_PATH + 2];
    DWORD length = GetFullPathNameW(WideText(folder).c_str(), MAX_PATH + 2, full, nullptr);
    if (length == 0 || length >= MAX_PATH + 2)
        return folder;
    std::string prefix = Utf8Of(full, static_cast<int>(length));
    if (length + kLongestName < MAX_PATH || prefix.rfind("\\\\?\\", 0) == 0)
        return prefix;
    return prefix.rfind("\\\\", 0) == 0 ? "\\\\?\\UNC" + prefix.substr(1) : "\\\\?\\" + prefix;
}

// Ours when marked, or empty: a power cut came between its making and its mark.
bool IsOurs(HANDLE file) {
    char head[kMarkLength];
    DWORD read = 0;
    if (!ReadFile(file, head, kMarkLength, &read, nullptr))
        return false;
    return read == 0 || (read == kMarkLength && memcmp(head, kMark, kMarkLength) == 0);
}

// ERROR_SUCCESS with `lock` open, ERROR_BUSY while someone holds it, else why it cannot be had.
DWORD Take(const WideText& path, UniqueFileHandle& lock) {
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0)
            Sleep(kRetryMs);
        lock.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (lock) {
            DWORD written = 0;
            WriteFile(lock.get(), kMark, kMarkLength, &written, nullptr);
            return ERROR_SUCCESS;
        }
        const DWORD createError = GetLastError();
        if (createError == ERROR_SHARING_VIOLATION)
            return ERROR_BUSY;
        if (createError != ERROR_FILE_EXISTS && createError != ERROR_ALREADY_EXISTS &&
            createError != ERROR_ACCESS_DENIED)
            return createError;
        // A lock is there: held by another, or left by a power cut; or the folder refuses new files.
        lock.reset(CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (lock) {
            if (!IsOurs(lock.get())) {
                lock.reset();
                return ERROR_FILE_EXISTS;
            }
            // Adopted: deleted when closed, as if this process had made it.
            FILE_DISPOSITION_INFO dispose = {TRUE};
            if (SetFileInformationByHandle(lock.get(), FileDispositionInfo, &dispose, sizeof dispose))
                return ERROR_SUCCESS;
            error = GetLastError();
            lock.reset();
            return error;
        }
        error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return ERROR_BUSY;
        if (error == ERROR_FILE_NOT_FOUND) {
            // Gone meanwhile, so it was there: try again to make it. Never there: making it was refused.
            if (createError == ERROR_ACCESS_DENIED)
                return createError;
            continue;
        }
        if (error != ERROR_ACCESS_DENIED)
            return error;
        // Held by one whose lock we may read but not delete (an elevated installer), being
        // deleted right now, or no file we may open at all.
        UniqueFileHandle look(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!look && GetLastError() == ERROR_SHARING_VIOLATION)
            return ERROR_BUSY;
    }
    return error;
}

// A pack tool that outlived its installer still works on the folder while the batch holds its log.
bool PackToolAtWork(const std::string& folder) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(WideText(folder + "log_*.txt").c_str(), &found));
    if (!search)
        return false;
    do {
        std::string name = Utf8Of(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && BatchLine::IsLogName(name) &&
            LogCounter::ProbeWriter(folder + name) == ERROR_SHARING_VIOLATION)
            return true;
    } while (FindNextFileW(search.get(), &found));
    return false;
}
} // namespace

bool GameFolderLock::TryAcquire(const char* gameFolder) {
    Release();
    const std::string folder = FolderPrefix(gameFolder);
    m_refusal = *gameFolder ? Take(WideText(folder + kFileName), m_file) : ERROR_PATH_NOT_FOUND;
    // Looked at under the lock: no installation of ours can launch a tool meanwhile.
    if (m_refusal == ERROR_SUCCESS && PackToolAtWork(folder)) {
        Release();
        m_refusal = ERROR_BUSY;
    }
    return m_refusal == ERROR_SUCCESS;
}

std::string GameFolderLock::RefusalText(const std::string& gameFolder) const {
    if (m_refusal == ERROR_BUSY)
        return FormatText(kBusyText, gameFolder.c_str());
    return FormatText(kNoLockText, gameFolder.c_str(), InFolder(gameFolder.c_str(), kFileName).c_str(),
                      m_refusal);
}
