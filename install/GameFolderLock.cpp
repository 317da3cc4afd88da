// One installation or restore per game folder at a time, across processes and computers.
#include "install/GameFolderLock.h"

#include <cstring>
#include <cwchar>

#include "framework/TextFormat.h"
#include "framework/WideText.h"
#include "pack/LogCounter.h"

namespace {
// Written into each lock, so that one a power cut left behind is told from someone else's file.
constexpr char kMark[] = "KSInstaller lock\r\n";
constexpr DWORD kMarkLength = sizeof kMark - 1;
// A lock that its holder is closing stays in the way for a moment, deleted but not yet gone.
constexpr int kTries = 20;
constexpr DWORD kRetryMs = 10;
// A folder's full path, and the longest name looked for in it: the lock, or a pack log such as
// "log_-2147483648.txt". Past MAX_PATH the system refuses the name, and the user is told so.
constexpr DWORD kLongestName = 20;
constexpr DWORD kPathRoom = MAX_PATH + kLongestName;

// The folder full, ready for a name; returns the length, 0 when it has none.
DWORD FolderPrefix(const char* gameFolder, wchar_t (&path)[kPathRoom]) {
    WideText given(gameFolder);
    // "D:" alone would be that drive's current directory; a folder held so is the drive's root.
    const wchar_t root[] = {given.c_str()[0], L':', L'\\', L'\0'};
    const bool drive = given.Length() == 2 && given.c_str()[1] == L':';
    DWORD length = GetFullPathNameW(drive ? root : given.c_str(), MAX_PATH - 1, path, nullptr);
    if (length == 0 || length >= MAX_PATH - 1)
        return 0;
    while (length > 0 && (path[length - 1] == L'\\' || path[length - 1] == L'/'))
        --length;
    path[length++] = L'\\';
    return length;
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
DWORD Take(const wchar_t* path, UniqueFileHandle& lock) {
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0)
            Sleep(kRetryMs);
        lock.reset(CreateFileW(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
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
        lock.reset(CreateFileW(path, GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (lock) {
            // Adopted: deleted when closed, as if this process had made it.
            FILE_DISPOSITION_INFO dispose = {TRUE};
            error = !IsOurs(lock.get()) ? ERROR_FILE_EXISTS
                    : SetFileInformationByHandle(lock.get(), FileDispositionInfo, &dispose, sizeof dispose)
                        ? ERROR_SUCCESS
                        : GetLastError();
            if (error)
                lock.reset();
            return error;
        }
        error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return ERROR_BUSY;
        if (error == ERROR_FILE_NOT_FOUND) {
            // Gone meanwhile (a lock being deleted refuses to be made anew for a moment): try again.
            // A folder that refuses new files says so each time, and that is the answer at the end.
            error = createError;
            continue;
        }
        // Access denied: being deleted right now, else a lock of another user's that we may not
        // take over (and so no folder we may install in), or a folder of that name.
        if (error != ERROR_ACCESS_DENIED)
            return error;
    }
    return error;
}

// What BatchLine::FileName makes of a log: "log_", a signed 32-bit number, ".txt".
bool IsLogName(const wchar_t* name) {
    if (wcsncmp(name, L"log_", 4) != 0)
        return false;
    const wchar_t* number = name + 4 + (name[4] == L'-');
    const size_t digits = wcsspn(number, L"0123456789");
    return digits > 0 && digits <= 10 && wcscmp(number + digits, L".txt") == 0;
}

// A pack tool that outlived its installer still works on the folder while the batch holds its log.
// `path` is the folder's prefix, of `length`.
bool PackToolAtWork(wchar_t (&path)[kPathRoom], DWORD length) {
    WIN32_FIND_DATAW found;
    wcscpy(path + length, L"log_*.txt");
    UniqueFindHandle search(FindFirstFileW(path, &found));
    bool atWork = false;
    while (search && !atWork) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsLogName(found.cFileName)) {
            wcscpy(path + length, found.cFileName);
            atWork = LogCounter::ProbeWriter(path) == ERROR_SHARING_VIOLATION;
        }
        if (!FindNextFileW(search.get(), &found))
            break;
    }
    return atWork;
}
} // namespace

bool GameFolderLock::TryAcquire(const char* gameFolder) {
    Release();
    wchar_t path[kPathRoom];
    const DWORD length = *gameFolder ? FolderPrefix(gameFolder, path) : 0;
    if (length == 0) {
        m_refusal = ERROR_PATH_NOT_FOUND;
        return false;
    }
    wcscpy(path + length, kFileName);
    m_refusal = Take(path, m_file);
    // Looked at under the lock: no installation of ours can launch a tool meanwhile.
    if (m_refusal == ERROR_SUCCESS && PackToolAtWork(path, length)) {
        Release();
        m_refusal = ERROR_BUSY;
    }
    return m_refusal == ERROR_SUCCESS;
}

std::string GameFolderLock::RefusalText(const std::string& gameFolder) const {
    if (m_refusal == ERROR_BUSY)
        return FormatText(kBusyText, gameFolder.c_str());
    return FormatText(kNoLockText, gameFolder.c_str(), m_refusal);
}
