// Reads the values of an ini file saved as UTF-16 LE, UTF-8 or in the system code page.
#include "config/IniFile.h"

#include <windows.h>

#include <memory>

#include "framework/Handles.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {
// A settings file is a few kilobytes; far larger is not one.
constexpr DWORD kMaxFileSize = 16 << 20;

bool ReadBytes(const std::string& path, std::string& bytes) {
    UniqueFileHandle file(CreateFileW(WideText(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxFileSize)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD done = 0;
    for (DWORD got = 1; got > 0 && done < bytes.size(); done += got) {
        if (!ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size()) - done, &got, nullptr))
            return false;
    }
    bytes.resize(done);
    return true;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string Trimmed(const std::string& text, size_t start, size_t end) {
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

// Names are ASCII in our files; others compare byte for byte.
bool SameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}
} // namespace

std::string IniFile::Decode(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return Utf8FromUtf16Le(bytes.data() + 2, bytes.size() - 2);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    if (IsUtf8(bytes.data(), bytes.size()))
        return bytes;
    // Written before UTF-8 was read, in the code page the profile functions assumed.
    return Utf8FromCodePage(CP_ACP, bytes.data(), bytes.size());
}

IniFile::IniFile(const std::string& path) : m_path(path) {
    std::string bytes;
    if (ReadBytes(path, bytes))
        m_text = Decode(bytes);
}

std::string IniFile::Read(const char* section, const char* key, const std::string& defaultValue,
                          size_t limit) const {
    const std::string& text = m_text;
    bool inSection = false;
    bool sectionSeen = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trimmed(text, start, end);
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close != std::string::npos) {
                // Only the first section of the name counts, as with the profile functions.
                if (inSection)
                    break;
                inSection = !sectionSeen && SameName(line.substr(1, close - 1), section);
                sectionSeen = sectionSeen || inSection;
                continue;
            }
        }
        if (!inSection)
            continue;
        // A line without '=' names no value: the key counts as missing, as with the profile functions.
        size_t equals = line.find('=');
        if (equals == std::string::npos || !SameName(Trimmed(line, 0, equals), key))
            continue;
        std::string value = Trimmed(line, equals + 1, line.size());
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return CutToCharacters(value, limit - 1);
    }
    return CutToCharacters(defaultValue, limit - 1);
}
