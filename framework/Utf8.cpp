// Conversions into the program's UTF-8 strings, from UTF-16 and from files in other encodings.
#include "framework/Utf8.h"

#include <climits>
#include <memory>

std::string Utf8Of(const wchar_t* text, int length) {
    if (!text || length == 0)
        return std::string();
    int needed = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string result(static_cast<size_t>(needed), '\0');
    int written = WideCharToMultiByte(CP_UTF8, 0, text, length, &result[0], needed, nullptr, nullptr);
    result.resize(written > 0 ? static_cast<size_t>(written) : 0);
    // A length of -1 brought the terminating zero along.
    if (length < 0 && !result.empty() && result.back() == '\0')
        result.pop_back();
    return result;
}

bool IsUtf8(const char* bytes, size_t size) {
    if (size == 0)
        return true;
    if (size > INT_MAX)
        return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0) > 0;
}

namespace {
std::string Utf8FromWide(std::unique_ptr<wchar_t[]> wide, int length) {
    return length > 0 ? Utf8Of(wide.get(), length) : std::string();
}
} // namespace

std::string Utf8FromCodePage(UINT codePage, const char* bytes, size_t size) {
    if (size == 0 || size > INT_MAX)
        return std::string();
    int length = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return std::string();
    std::unique_ptr<wchar_t[]> wide(new wchar_t[static_cast<size_t>(length)]);
    length = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), wide.get(), length);
    return Utf8FromWide(std::move(wide), length);
}

std::string Utf8FromUtf16(const char* bytes, size_t size, bool bigEndian) {
    size_t length = size / 2;
    if (length == 0 || length > INT_MAX)
        return std::string();
    std::unique_ptr<wchar_t[]> wide(new wchar_t[length]);
    const unsigned char* units = reinterpret_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < length; ++i)
        wide[i] = static_cast<wchar_t>(units[2 * i + bigEndian] | units[2 * i + !bigEndian] << 8);
    return Utf8FromWide(std::move(wide), static_cast<int>(length));
}

size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text) {
        // Lead bytes start a character; four-byte ones need two UTF-16 units.
        if ((c & 0xC0) != 0x80)
            count += c >= 0xF0 ? 2 : 1;
    }
    return count;
}

std::string CutToCharacters(const std::string& text, size_t count) {
    size_t units = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80)
            continue;
        size_t width = c >= 0xF0 ? 2 : 1;
        if (units + width > count)
            return text.substr(0, i);
        units += width;
    }
    return text;
}
