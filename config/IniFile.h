// Reads the values of an ini file saved as UTF-16 LE, UTF-8 or in the system code page.
#pragma once

#include <string>

class IniFile {
public:
    // Reads and decodes the file; a missing or unreadable one reads as having no values.
    explicit IniFile(const std::string& path);

    // The value of key in section, cut to limit - 1 characters, or defaultValue when the file,
    // the section or the key is missing. The profile functions' reading: names without regard to
    // letter case, blanks around names and values dropped, ';' lines are comments, one pair of
    // matching quotes around a value removed, the first section and key of a name win.
    std::string Read(const char* section, const char* key, const std::string& defaultValue,
                     size_t limit) const;

    const std::string& Path() const { return m_path; }

    // The file's bytes as UTF-8 text, without a byte-order mark.
    static std::string Decode(const std::string& bytes);

private:
    std::string m_path;
    std::string m_text;
};
