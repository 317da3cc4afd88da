// Checks a file name from install.ini that is joined to a folder of ours.
#include "config/RelativeName.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <vector>

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
using WideText = std::vector<wchar_t>;

bool FullPathOf(const std::string& path, WideText& full) {
    int wideLength = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (wideLength <= 0)
        return false;
    WideText wide(static_cast<size_t>(wideLength) + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), wideLength);
    full.assign(32768, L'\0');
    DWORD length = GetFullPathNameW(wide.data(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return false;
    full.resize(length);
    return true;
}

// True when full starts with prefix, letter case aside.
bool StartsWithIgnoringCase(const WideText& full, const WideText& prefix) {
    return full.size() > prefix.size() &&
           CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, full.data(), static_cast<int>(prefix.size()),
                          prefix.data(), static_cast<int>(prefix.size())) == CSTR_EQUAL;
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
    WideText fullFolder;
    WideText fullFile;
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
