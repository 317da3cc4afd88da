// Reads the values of an ini file as the system's profile functions read them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class IniFile {
public:
    // Files far larger than any settings file are not read at all.
    static constexpr ULONGLONG kMaxFileSize = 256ull << 20;

    // Reads and decodes the file; a missing or unreadable one reads as having no values.
    explicit IniFile(const std::string& path);

    // The value of key in section, cut to limit - 1 characters (never inside a character), or
    // defaultValue when the file, the section or the key is missing or the key has no '='. The
    // profile functions' reading: lines end at CR or LF; names without regard to letter case, blanks
    // around names and values dropped; only the first section and the first key of a name count;
    // a value ends at a NUL; one pair of matching quotes around it is removed.
    std::string Read(const char* section, const char* key, const std::string& defaultValue,
                     size_t limit) const;

    const std::string& Path() const { return m_path; }
    // ERROR_SUCCESS once read; ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when there is no file,
    // ERROR_FILE_TOO_LARGE over kMaxFileSize, else why it could not be read.
    DWORD Error() const { return m_error; }

    // The text of a file's bytes in UTF-16 units, without a byte-order mark: UTF-16 LE or BE with
    // its mark, UTF-8 after its mark (bytes that are not UTF-8 become U+FFFD, as the profile
    // functions read them), else UTF-8 when the bytes are well-formed, else the system code page.
    // False when there is no memory for them.
    struct MemoryRelease {
        void operator()(void* memory) const;
    };
    using Units = std::unique_ptr<wchar_t[], MemoryRelease>;
    static bool Decode(const char* bytes, size_t size, Units& text, size_t& length);

private:
    std::string m_path;
    Units m_text;
    size_t m_length = 0;
    DWORD m_error = ERROR_SUCCESS;
};
