// One installation or restore per game folder at a time, across processes.
#include "config/GameFolderLock.h"

#include <cwchar>

#include "framework/WideText.h"

namespace {
// Room for a MAX_PATH folder with the "\\?\UNC\" a resolved name may begin with.
constexpr DWORD kPathRoom = MAX_PATH + 8;
// Global, so that installers of two users on one machine, or an elevated one, see each other too.
constexpr wchar_t kPrefix[] = L"Global\\KSInstaller game folder ";
constexpr size_t kPrefixLength = sizeof kPrefix / sizeof kPrefix[0] - 1;

// The folder as the file system names it: full, in long names and, where the folder can be opened,
// with links and substituted drives resolved; upper case, without a closing backslash. Returns its
// length in `folder` (kPathRoom units).
size_t ResolvedFolder(const char* gameFolder, wchar_t* folder) {
    WideText given(gameFolder);
    // "D:" alone would be that drive's current directory; a folder held so is the drive's root.
    wchar_t root[] = {given.c_str()[0], L':', L'\\', L'\0'};
    const wchar_t* asked = given.Length() == 2 && given.c_str()[1] == L':' ? root : given.c_str();
    wchar_t full[kPathRoom];
    DWORD length = GetFullPathNameW(asked, kPathRoom, full, nullptr);
    if (length == 0 || length >= kPathRoom) {
        wcsncpy(full, given.c_str(), kPathRoom - 1);
        full[kPathRoom - 1] = L'\0';
    }

    UniqueFileHandle handle(CreateFileW(full, FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t found[kPathRoom];
    length = handle ? GetFinalPathNameByHandleW(handle.get(), found, kPathRoom,
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                    : 0;
    if (length == 0 || length >= kPathRoom)
        length = GetLongPathNameW(full, found, kPathRoom);
    if (length == 0 || length >= kPathRoom) {
        wcscpy(found, full);
        length = static_cast<DWORD>(wcslen(found));
    }
    wchar_t* start = found;
    if (wcsncmp(found, L"\\\\?\\UNC\\", 8) == 0) {
        start = found + 6;
        *start = L'\\';
    } else if (wcsncmp(found, L"\\\\?\\", 4) == 0) {
        start = found + 4;
    }
    length -= static_cast<DWORD>(start - found);
    while (length > 0 && (start[length - 1] == L'\\' || start[length - 1] == L'/'))
        --length;
    // Simple upper casing of each character, the same in every process and language.
    int mapped = length > 0 ? LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, start, static_cast<int>(length),
                                           folder, static_cast<int>(length))
                            : 0;
    if (mapped <= 0)
        wmemcpy(folder, start, length);
    folder[length] = L'\0';
    return length;
}

// The folder itself where the name has room for it, so that a tool lists it readably; its hash
// where it has not (names end at MAX_PATH). Backslashes would make namespaces of the path.
void ObjectName(const char* gameFolder, wchar_t (&name)[MAX_PATH]) {
    wchar_t folder[kPathRoom];
    size_t length = ResolvedFolder(gameFolder, folder);
    wcscpy(name, kPrefix);
    wchar_t* out = name + kPrefixLength;
    if (kPrefixLength + length < MAX_PATH) {
        for (size_t i = 0; i < length; ++i)
            *out++ = folder[i] == L'\\' ? L'/' : folder[i];
    } else {
        unsigned long long hash = 14695981039346656037ull;
        for (size_t i = 0; i < length; ++i)
            hash = (hash ^ static_cast<unsigned short>(folder[i])) * 1099511628211ull;
        for (int shift = 60; shift >= 0; shift -= 4)
            *out++ = L"0123456789ABCDEF"[(hash >> shift) & 15];
    }
    *out = L'\0';
}
} // namespace

bool GameFolderLock::TryAcquire(const char* gameFolder) {
    Release();
    wchar_t name[MAX_PATH];
    ObjectName(gameFolder, name);
    // The object lives exactly as long as its one handle: whoever made it holds the folder. A
    // process with other rights (an elevated installer) that made it leaves us no access at all.
    UniqueKernelHandle object(CreateEventW(nullptr, TRUE, FALSE, name));
    if (!object || GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    m_object = std::move(object);
    return true;
}
