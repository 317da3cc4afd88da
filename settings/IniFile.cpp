// Reads the values of an ini file as the system's profile functions read them.
#include "settings/IniFile.h"

#include "framework/DiskStep.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {
// Memory that may be refused: a huge file is told as unreadable, never ends the program.
void* Allocate(size_t bytes) {
    return bytes ? VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
}

DWORD ReadBytes(const std::string& path, std::unique_ptr<char[], IniFile::MemoryRelease>& bytes,
                size_t& size) {
    DiskStep::Files& files = DiskStep::On();
    UniqueDiskFile file(files.Create(WideText(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, 0));
    LARGE_INTEGER fileSize;
    if (!file || !files.Info(file.get(), nullptr, &fileSize))
        return GetLastError();
    if (static_cast<ULONGLONG>(fileSize.QuadPart) > IniFile::kMaxFileSize)
        return ERROR_FILE_TOO_LARGE;
    size = static_cast<size_t>(fileSize.QuadPart);
    bytes.reset(static_cast<char*>(Allocate(size)));
    if (size && !bytes)
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD done = 0;
    for (DWORD got = 1; got > 0 && done < size; done += got) {
        if (!files.Read(file.get(), bytes.get() + done, static_cast<DWORD>(size) - done, &got))
            return GetLastError();
    }
    size = done;
    return ERROR_SUCCESS;
}

// The profile functions' blanks: the C blanks, CR, and ^Z (the DOS end of file).
bool IsBlank(wchar_t c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A;
}

// A name ends at a NUL; names we ask for are ASCII and match without regard to its letter case.
bool SameName(const wchar_t* name, size_t length, const char* wanted) {
    size_t i = 0;
    for (; i < length && name[i] && wanted[i]; ++i) {
        wchar_t x = name[i] >= 'A' && name[i] <= 'Z' ? name[i] + 32 : name[i];
        char y = wanted[i] >= 'A' && wanted[i] <= 'Z' ? static_cast<char>(wanted[i] + 32) : wanted[i];
        if (x != static_cast<unsigned char>(y))
            return false;
    }
    return !wanted[i] && (i == length || !name[i]);
}
} // namespace

void IniFile::MemoryRelease::operator()(void* memory) const {
    VirtualFree(memory, 0, MEM_RELEASE);
}

bool IniFile::Decode(const char* bytes, size_t size, Units& text, size_t& length) {
    length = 0;
    bool littleEndian = size >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    if (littleEndian || (size >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')) {
        // An odd last byte is no unit.
        length = (size - 2) / 2;
        text.reset(static_cast<wchar_t*>(Allocate(length * sizeof(wchar_t))));
        if (length && !text)
            return false;
        const unsigned char* units = reinterpret_cast<const unsigned char*>(bytes + 2);
        for (size_t i = 0; i < length; ++i) {
            unsigned low = units[2 * i + (littleEndian ? 0 : 1)];
            unsigned high = units[2 * i + (littleEndian ? 1 : 0)];
            text[i] = static_cast<wchar_t>(low | high << 8);
        }
        return true;
    }
    UINT codePage = CP_UTF8;
    if (size >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF') {
        bytes += 3;
        size -= 3;
    } else if (!IsUtf8(bytes, size)) {
        // Written by an editor of older days, in the code page the profile functions assume.
        codePage = CP_ACP;
    }
    if (size == 0)
        return true;
    int needed = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), nullptr, 0);
    text.reset(static_cast<wchar_t*>(Allocate(needed > 0 ? needed * sizeof(wchar_t) : 0)));
    if (needed > 0 && !text)
        return false;
    int written =
        needed > 0 ? MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), text.get(), needed) : 0;
    length = written > 0 ? static_cast<size_t>(written) : 0;
    return true;
}

IniFile::IniFile(const std::string& path) : m_path(path) {
    std::unique_ptr<char[], MemoryRelease> bytes;
    size_t size = 0;
    m_error = ReadBytes(path, bytes, size);
    if (m_error == ERROR_SUCCESS && !Decode(bytes.get(), size, m_text, m_length))
        m_error = ERROR_NOT_ENOUGH_MEMORY;
    if (m_error != ERROR_SUCCESS)
        m_length = 0;
}

std::string IniFile::Read(const char* section, const char* key, const std::string& defaultValue,
                          size_t limit) const {
    const wchar_t* text = m_text.get();
    bool inSection = false;
    for (size_t start = 0; start < m_length;) {
        size_t first = start;
        size_t last = first;
        while (last < m_length && text[last] != '\n' && text[last] != '\r')
            ++last;
        start = last + 1;
        while (first < last && IsBlank(text[first]))
            ++first;
        while (last > first && IsBlank(text[last - 1]))
            --last;
        if (first == last)
            continue;
        if (text[first] == '[') {
            size_t close = last - 1;
            while (close > first && text[close] != ']')
                --close;
            if (close > first) {
                // Only the first section of the name counts.
                if (inSection)
                    break;
                size_t nameStart = first + 1;
                while (nameStart < close && IsBlank(text[nameStart]))
                    ++nameStart;
                size_t nameEnd = close;
                while (nameEnd > nameStart && IsBlank(text[nameEnd - 1]))
                    --nameEnd;
                inSection = SameName(text + nameStart, nameEnd - nameStart, section);
                continue;
            }
        }
        if (!inSection)
            continue;
        size_t equals = first;
        while (equals < last && text[equals] != '=')
            ++equals;
        size_t nameEnd = equals;
        while (nameEnd > first && IsBlank(text[nameEnd - 1]))
            --nameEnd;
        if (!SameName(text + first, nameEnd - first, key))
            continue;
        // The first line of the name decides, even one without '=' that gives no value.
        if (equals == last)
            break;
        size_t valueStart = equals + 1;
        while (valueStart < last && IsBlank(text[valueStart]))
            ++valueStart;
        size_t valueEnd = valueStart;
        while (valueEnd < last && text[valueEnd])
            ++valueEnd;
        if (valueEnd - valueStart >= 2 && (text[valueStart] == '"' || text[valueStart] == '\'') &&
            text[valueEnd - 1] == text[valueStart]) {
            ++valueStart;
            --valueEnd;
        }
        size_t length = valueEnd - valueStart < limit - 1 ? valueEnd - valueStart : limit - 1;
        // A pair of surrogates stays whole or goes whole.
        if (length < valueEnd - valueStart && length > 0 && IS_HIGH_SURROGATE(text[valueStart + length - 1]))
            --length;
        return Utf8Of(text + valueStart, static_cast<int>(length));
    }
    return CutToCharacters(defaultValue, limit - 1);
}
