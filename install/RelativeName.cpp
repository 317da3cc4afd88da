// Checks a file name from install.ini that is joined to a folder of ours.
#include "install/RelativeName.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// CON, NUL, COM1 and the rest name devices in every folder, with or without an extension.
bool IsDeviceName(const std::string& component) {
    std::string stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices) {
        if (stem == device)
            return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

bool IsSafeComponent(const std::string& component) {
    if (component.empty())
        return false;
    // Windows drops trailing dots and blanks, so "..." or ".. " would climb like "..".
    char last = component.back();
    if (last == '.' || last == ' ')
        return false;
    for (char c : component) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("<>\"|?*", c))
            return false;
    }
    return !IsDeviceName(component);
}

// The platform's own idea of the full path, so the check sees what CreateFile would open. The wide
// call, because the ANSI one gives up beyond 259 characters where opening would merely fail later.
// Vectors, not std::wstring: the library's wide string would add 35 KB to the exe.
using WideChars = std::vector<wchar_t>;

constexpr DWORD kLongestPath = 32768;

bool Narrow(const WideChars& wide, std::string& narrow) {
    narrow = Utf8Of(wide.data(), static_cast<int>(wide.size()));
    return wide.empty() || !narrow.empty();
}

// A call that fills a buffer and, when it is too small, says how much it needs: most paths fit the
// first one, and the longest for every call would cost more than the call.
template <class Call>
bool Fill(WideChars& out, Call call) {
    out.assign(MAX_PATH, L'\0');
    DWORD length = call(out.data(), MAX_PATH);
    if (length >= MAX_PATH && length <= kLongestPath) {
        out.assign(length, L'\0');
        length = call(out.data(), length);
    }
    if (length == 0 || length >= out.size())
        return false;
    out.resize(length);
    return true;
}

bool FullPathOf(const std::string& path, WideChars& full) {
    const WideText wide(path);
    return wide.Length() > 0 && Fill(full, [&](wchar_t* buffer, DWORD size) {
               return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
           });
}

bool IsWideSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool SameWide(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) {
    if (aLength == 0 || bLength == 0)
        return aLength == bLength;
    return CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) ==
           CSTR_EQUAL;
}

// True when full starts with prefix, letter case aside.
bool StartsWithIgnoringCase(const WideChars& full, const WideChars& prefix) {
    return full.size() > prefix.size() && SameWide(full.data(), prefix.size(), prefix.data(), prefix.size());
}

// A full path with its deepest existing part as the disk names it: the platform resolves only
// paths that exist, so the part that does not is cut off, one component at a time, and kept.
WideChars LongPathOf(const WideChars& full) {
    WideChars resolved;
    for (size_t cut = full.size(); cut > 0;) {
        WideChars head(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        head.push_back(L'\0');
        if (Fill(resolved, [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(head.data(), buffer, size); })) {
            resolved.insert(resolved.end(), full.begin() + static_cast<std::ptrdiff_t>(cut), full.end());
            return resolved;
        }
        // Back to the separator before the last component; never down to a bare "C:".
        do
            --cut;
        while (cut > 0 && !IsWideSeparator(full[cut]));
        if (cut > 0 && full[cut - 1] == L':')
            break;
    }
    return full;
}

} // namespace

bool RelativeName::IsSafe(const std::string& name) {
    if (name.empty() || IsSeparator(name.front()))
        return false;
    // A colon is a drive ("C:x") or an alternate data stream ("a.txt:s"); neither belongs here.
    if (name.find(':') != std::string::npos)
        return false;
    std::string::size_type start = 0;
    while (start <= name.size()) {
        std::string::size_type end = start;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (!IsSafeComponent(name.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

bool RelativeName::JoinInside(const std::string& folder, const std::string& name, std::string& joined) {
    joined.clear();
    if (folder.empty() || !IsSafe(name))
        return false;
    // A folder at a drive root already ends in a backslash ("C:\"); a second one is not needed.
    std::string candidate = IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
    // A bare drive ("D:") is how a folder at a drive root is held; on its own the platform would
    // take it as that drive's current directory.
    bool bareDrive = folder.size() == 2 && folder[1] == ':';
    WideChars fullFolder;
    WideChars fullFile;
    if (!FullPathOf(bareDrive ? folder + "\\" : folder, fullFolder) || !FullPathOf(candidate, fullFile))
        return false;
    // Compared with a closing backslash, so "C:\game2\x" does not count as inside "C:\game".
    if (fullFolder.back() != L'\\' && fullFolder.back() != L'/')
        fullFolder.push_back(L'\\');
    if (!StartsWithIgnoringCase(fullFile, fullFolder))
        return false;
    joined = candidate;
    return true;
}

bool RelativeName::SameName(const std::string& a, const std::string& b) {
    const WideText wideA(a);
    const WideText wideB(b);
    return SameWide(wideA.c_str(), static_cast<size_t>(wideA.Length()), wideB.c_str(),
                    static_cast<size_t>(wideB.Length()));
}

std::string RelativeName::LongName(const std::string& folder, const std::string& name) {
    std::string given = name;
    for (char& c : given)
        c = c == '/' ? '\\' : c;
    // Generated short names always carry a tilde; without one a name can differ from its long form
    // in letter case alone, and looking each part up would cost a folder search per part.
    std::string joined;
    if (given.find('~') == std::string::npos || !JoinInside(folder, given, joined))
        return given;
    bool bareDrive = folder.size() == 2 && folder[1] == ':';
    WideChars fullFolder;
    WideChars fullFile;
    if (!FullPathOf(bareDrive ? folder + "\\" : folder, fullFolder) || !FullPathOf(joined, fullFile))
        return given;
    WideChars longFolder = LongPathOf(fullFolder);
    WideChars longFile = LongPathOf(fullFile);
    if (!IsWideSeparator(longFolder.back()))
        longFolder.push_back(L'\\');
    std::string resolved;
    if (!StartsWithIgnoringCase(longFile, longFolder) ||
        !Narrow(WideChars(longFile.begin() + static_cast<std::ptrdiff_t>(longFolder.size()), longFile.end()),
                resolved))
        return given;
    return resolved;
}
