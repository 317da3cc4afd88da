// install.ini as IniFile reads it against the system's profile reader, over generated files.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <random>

#include "config/IniFile.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "support/TempFolder.h"

namespace {
using Text = std::wstring;
using Random = std::mt19937;

const char* const kSections[] = {"installer", "other"};
const char* const kKeys[] = {"dialog_title", "ks_version",  "source_pff",
                             "copy_file_1",  "copy_file_2", "eula_text"};
const wchar_t* const kSectionNames[] = {L"installer", L"INSTALLER",  L" installer ", L"\tInstaller",
                                        L"other",     L"install er", L"installer2",  L""};
const wchar_t* const kBlanks[] = {L" ", L"\t", L"\v", L"\f", L"\x1A", L"\x85", L"\xA0", L"\x3000", L"\x2003"};
const wchar_t* const kLineEnds[] = {L"\r\n", L"\n", L"\r", L"\n\r", L"\r\r\n"};
// Letters of several scripts, a pair of surrogates among them; quotes, '=' and brackets too.
const wchar_t* const kPieces[] = {L"a",     L"Z",     L"0",           L" ",     L".",      L"\\",
                                  L"=",     L";",     L"[",           L"]",     L"\"",     L"'",
                                  L"\xE9",  L"\xFC",  L"\x2013",      L"\x416", L"\x3042", L"\x4E2D",
                                  L"\x5D0", L"\x627", L"\xD83D\xDE00"};
enum Encoding {
    Utf8Mark,
    Utf8,
    Utf16LeMark,
    Utf16BeMark,
    CodePage,
    Utf8MarkThenCodePage,
    Utf16LeNoMark,
    kEncodings
};

template <class T, size_t N> const T& Pick(Random& random, const T (&items)[N]) {
    return items[random() % N];
}

Text Blanks(Random& random) {
    Text blanks;
    for (unsigned n = random() % 3 ? 0 : random() % 3 + 1; n > 0; --n)
        blanks += Pick(random, kBlanks);
    return blanks;
}

Text Name(Random& random) {
    std::string name = random() % 8 ? Pick(random, kKeys) : "other_key";
    Text text(name.begin(), name.end());
    for (wchar_t& c : text)
        c = random() % 5 ? c : static_cast<wchar_t>(towupper(c));
    return text;
}

Text Value(Random& random) {
    unsigned kind = random() % 12;
    size_t length = kind == 0 ? 250 + random() % 20 : kind == 1 ? 300 + random() % 3000 : random() % 12;
    Text value;
    while (value.size() < length)
        value += Pick(random, kPieces);
    // Right at the cut of 259 characters: a quoted value that fills it, a pair of surrogates across it.
    if (kind == 2)
        value = L"\"" + Text(259, L'q') + L"\"";
    if (kind == 3)
        value = Text(258, L's') + L"\xD83D\xDE00";
    if (random() % 10 == 0)
        value.insert(random() % (value.size() + 1), 1, L'\0');
    const wchar_t* quote = random() % 2 ? L"\"" : L"'";
    if (random() % 4 == 0)
        value = quote + value + (random() % 6 ? quote : L"");
    return value;
}

Text Line(Random& random) {
    switch (random() % 10) {
    case 0:
        return Blanks(random) + L"[" + Pick(random, kSectionNames) + (random() % 10 ? L"]" : L"") +
               (random() % 4 ? L"" : L" ; note");
    case 1:
        return L";" + Name(random) + L"=" + Value(random);
    case 2:
        return Blanks(random);
    case 3:
        return Blanks(random) + Name(random) + Blanks(random);
    default:
        return Blanks(random) + Name(random) + Blanks(random) + L"=" + Blanks(random) + Value(random) +
               Blanks(random);
    }
}

std::string Bytes(const Text& text, Encoding encoding) {
    std::string bytes;
    UINT codePage = encoding == CodePage || encoding == Utf8MarkThenCodePage ? CP_ACP : CP_UTF8;
    if (encoding == Utf16LeMark || encoding == Utf16BeMark || encoding == Utf16LeNoMark) {
        for (wchar_t c : text) {
            char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
            bytes += encoding == Utf16BeMark ? std::string{high, low} : std::string{low, high};
        }
        return (encoding == Utf16LeMark ? "\xFF\xFE" : encoding == Utf16BeMark ? "\xFE\xFF" : "") + bytes;
    }
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                        nullptr);
    return (encoding == Utf8Mark || encoding == Utf8MarkThenCodePage ? "\xEF\xBB\xBF" : "") + bytes;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c < 0x20 || c >= 0x7F ? hex : std::string(1, static_cast<char>(c));
    }
    return out.size() > 80 ? out.substr(0, 80) + "..." : out;
}

// A difference we chose, by the name DEVELOPERS.md gives it; null for any other.
const char* Documented(const wchar_t* theirs, DWORD length, DWORD limit, const std::string& mine) {
    if (length == limit - 1 && IS_HIGH_SURROGATE(theirs[length - 1]) && Utf8Of(theirs, length - 1) == mine)
        return "pair of surrogates at the cut";
    if (length == limit - 2 && CharacterCount(mine) == limit - 1 &&
        CutToCharacters(mine, limit - 2) == Utf8Of(theirs, length))
        return "quoted value that fills the buffer";
    return nullptr;
}

unsigned FromEnvironment(const char* name, unsigned otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : otherwise;
}
} // namespace

// KS_INI_SEED replays a seed, KS_INI_FILES soaks with more files.
TEST(IniFile, ReadsEveryGeneratedFileAsTheProfileReaderDoes) {
    const unsigned seed = FromEnvironment("KS_INI_SEED", 24), count = FromEnvironment("KS_INI_FILES", 1000);
    Random random(seed);
    TempFolder folder;
    std::map<std::string, int> documented;
    int keys = 0, differences = 0, files = 0;
    static wchar_t buffer[32768];
    for (unsigned i = 0; i <= count; ++i) {
        auto encoding = static_cast<Encoding>(random() % kEncodings);
        Text text = random() % 10 ? L"[installer]\r\n" : L"";
        for (unsigned lines = 3 + random() % 25; lines > 0; --lines)
            text += Line(random) + Pick(random, kLineEnds);
        // The last file is larger than any settings file should be.
        if (i == count)
            text = L"[other]\r\n" + Text(17 << 20, L';') + L"\r\n[installer]\r\ndialog_title=big\r\n" + text;
        std::string bytes = Bytes(text, encoding);
        std::string path = folder.WriteFile("f" + std::to_string(i) + ".ini", bytes);
        // The profile reader takes a file without a mark in the system code page; we take UTF-8
        // when it is well-formed, and compare with the reader given the same file with its mark.
        std::string theirPath = path;
        if (bytes.compare(0, 2, "\xFF\xFE") && bytes.compare(0, 2, "\xFE\xFF") &&
            bytes.compare(0, 3, "\xEF\xBB\xBF") && IsUtf8(bytes.data(), bytes.size()) &&
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) {
            theirPath = folder.WriteFile("m" + std::to_string(i) + ".ini", "\xEF\xBB\xBF" + bytes);
            ++documented["UTF-8 without a mark"];
        }
        IniFile ini(path);
        ++files;
        for (const char* section : kSections) {
            // Two keys tell whether another section is found; each read costs the reader a file open.
            for (size_t k = section == kSections[0] ? 0 : 4; k < std::size(kKeys); ++k) {
                const char* key = kKeys[k];
                for (DWORD limit : {DWORD(MAX_PATH), DWORD(std::string(key) == "eula_text" ? 32768 : 0)}) {
                    if (!limit)
                        continue;
                    DWORD length =
                        GetPrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(), L"none",
                                                 buffer, limit, WideText(theirPath).c_str());
                    std::string mine = ini.Read(section, key, "none", limit);
                    ++keys;
                    if (mine == Utf8Of(buffer, static_cast<int>(length)))
                        continue;
                    if (const char* why = Documented(buffer, length, limit, mine)) {
                        ++documented[why];
                        continue;
                    }
                    if (++differences <= 10)
                        ADD_FAILURE()
                            << "seed " << seed << " file " << i << " encoding " << encoding << " [" << section
                            << "] " << key << " (" << limit << "):\n  ours:   " << Escaped(mine)
                            << "\n  theirs: " << Escaped(Utf8Of(buffer, static_cast<int>(length)))
                            << "\n  file:   " << Escaped(bytes);
                }
            }
        }
    }
    std::printf("ini differential: %d files, %d keys, %d differences outside the documented ones\n", files,
                keys, differences);
    std::printf("ini differential: seed %u; documented:", seed);
    for (const auto& [name, times] : documented)
        std::printf(" %s %d;", name.c_str(), times);
    std::printf("\n");
    EXPECT_EQ(differences, 0);
}
