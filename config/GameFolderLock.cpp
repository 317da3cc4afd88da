// One installation or restore per game folder at a time, across processes.
#include "config/GameFolderLock.h"

#include <cwchar>
#include <vector>

namespace {
// Vectors, not std::wstring: the library's wide string would add 35 KB to the exe.
using WideText = std::vector<wchar_t>;

constexpr DWORD kLongestPath = 32768;
// Global, so that installers of two users on one machine, or an elevated one, see each other too.
constexpr wchar_t kPrefix[] = L"Global\\KSInstaller game folder ";

WideText Widen(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    WideText wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    return wide;
}

bool StripPrefix(WideText& path, const wchar_t* prefix, const wchar_t* replacement) {
    size_t length = wcslen(prefix);
    if (path.size() < length || wcsncmp(path.data(), prefix, length) != 0)
        return false;
    path.erase(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(length));
    path.insert(path.begin(), replacement, replacement + wcslen(replacement));
    return true;
}

// The folder as the file system names it: full, in long names and, where the folder can be opened,
// with links and substituted drives resolved; upper case, without a closing backslash.
WideText ResolvedFolder(const char* gameFolder) {
    WideText given = Widen(gameFolder);
    // "D:" alone would be that drive's current directory; a folder held so is the drive's root.
    if (given.size() == 3 && given[1] == L':')
        given.insert(given.end() - 1, L'\\');
    WideText full(kLongestPath, L'\0');
    DWORD length = GetFullPathNameW(given.data(), kLongestPath, full.data(), nullptr);
    if (length == 0 || length >= kLongestPath)
        full = given;
    else
        full.resize(static_cast<size_t>(length) + 1);

    WideText resolved(kLongestPath, L'\0');
    UniqueFileHandle folder(CreateFileW(full.data(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    length = folder ? GetFinalPathNameByHandleW(folder.get(), resolved.data(), kLongestPath,
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                    : 0;
    if (length == 0 || length >= kLongestPath)
        length = GetLongPathNameW(full.data(), resolved.data(), kLongestPath);
    if (length == 0 || length >= kLongestPath) {
        resolved = full;
        resolved.pop_back();
    } else {
        resolved.resize(length);
    }
    if (!StripPrefix(resolved, L"\\\\?\\UNC\\", L"\\\\"))
        StripPrefix(resolved, L"\\\\?\\", L"");
    while (!resolved.empty() && (resolved.back() == L'\\' || resolved.back() == L'/'))
        resolved.pop_back();
    if (resolved.empty())
        return resolved;
    // Simple upper casing of each character, the same in every process and language.
    WideText upper(resolved.size(), L'\0');
    int mapped =
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, resolved.data(), static_cast<int>(resolved.size()),
                     upper.data(), static_cast<int>(upper.size()));
    if (mapped <= 0)
        return resolved;
    upper.resize(static_cast<size_t>(mapped));
    return upper;
}

// The folder itself where the name has room for it, so that a tool lists it readably; its hash
// where it has not (names end at MAX_PATH). Backslashes would make namespaces of the path.
WideText ObjectName(const char* gameFolder) {
    WideText folder = ResolvedFolder(gameFolder);
    WideText name(kPrefix, kPrefix + wcslen(kPrefix));
    if (name.size() + folder.size() < MAX_PATH) {
        for (wchar_t c : folder)
            name.push_back(c == L'\\' ? L'/' : c);
    } else {
        unsigned long long hash = 14695981039346656037ull;
        for (wchar_t c : folder)
            hash = (hash ^ static_cast<unsigned short>(c)) * 1099511628211ull;
        for (int shift = 60; shift >= 0; shift -= 4)
            name.push_back(L"0123456789ABCDEF"[(hash >> shift) & 15]);
    }
    name.push_back(L'\0');
    return name;
}
} // namespace

bool GameFolderLock::TryAcquire(const char* gameFolder) {
    Release();
    WideText name = ObjectName(gameFolder);
    // The object lives exactly as long as its one handle: whoever made it holds the folder. A
    // process with other rights (an elevated installer) that made it leaves us no access at all.
    UniqueKernelHandle object(CreateEventW(nullptr, TRUE, FALSE, name.data()));
    if (!object || GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    m_object = std::move(object);
    return true;
}
