// install.ini as IniFile reads it against the system's profile reader, over generated files.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "settings/IniFile.h"
#include "support/TempFolder.h"

namespace {
using Text = std::wstring;
const char* const kKeys[] = {"dialog_title", "copy_file_1", "eula_text"};
// Each read costs the reader a file open: the keys of the section, one of another, the licence
// also with its own limit.
const struct {
    const char* section;
    const char* key;
    DWORD limit;
} kReads[] = {{"installer", "dialog_title", MAX_PATH}, {"installer", "copy_file_1", MAX_PATH},
              {"installer", "eula_text", MAX_PATH},    {"installer", "eula_text", 32768},
              {"other", "copy_file_1", MAX_PATH},      {"other", "eula_text", 32768}};
const wchar_t* const kSections[] = {L"installer", L"INSTALLER",  L" installer ", L"\tInstaller",
                                    L"other",     L"install er", L"installer2",  L""};
const wchar_t* const kLineEnds[] = {L"\r\n", L"\n", L"\r", L"\n\r", L"\r\r\n"};
// Letters of several scripts and a pair of surrogates; quotes, '=', brackets; blanks of many kinds.
const Text kLetters = L"aZ0 .\\=;[]\"'\xE9\xFC\x2013\x416\x3042\x4E2D\x5D0\x627\xD83D\xDE00";
const Text kBlanks = L" \t\v\f\x1A\x85\xA0\x3000\x2003";
// UTF-8 with and without its mark, UTF-16 LE and BE with it, the code page, the code page after a
// UTF-8 mark, UTF-16 LE without its mark.
enum Encoding { Utf8Mark, Utf8, Utf16Le, Utf16Be, CodePage, MarkThenCodePage, Utf16NoMark, kEncodings };

struct Generator {
    std::mt19937 random;
    size_t Below(size_t n) { return random() % n; }
    Text Blanks() { return Below(3) ? L"" : Text(1 + Below(2), kBlanks[Below(kBlanks.size())]); }
    Text Name() {
        std::string name = Below(6) ? kKeys[Below(3)] : "other_key";
        Text text(name.begin(), name.end());
        for (wchar_t& c : text)
            c = Below(5) ? c : static_cast<wchar_t>(towupper(c));
        return text;
    }
    Text Value() {
        size_t kind = Below(12), length = kind == 0   ? 250 + Below(20)
                                          : kind == 1 ? 300 + Below(3000)
                                                      : Below(12);
        Text value;
        while (value.size() < length) {
            size_t at = Below(kLetters.size() - 1);
            value += kLetters.substr(at, IS_HIGH_SURROGATE(kLetters[at]) ? 2 : 1);
        }
        // Right at the cut of 259 characters: a quoted value that fills it, a pair across it.
        value = kind == 2   ? L"\"" + Text(259, L'q') + L"\""
                : kind == 3 ? Text(258, L's') + L"\xD83D\xDE00"
                            : value;
        if (Below(10) == 0)
            value.insert(Below(value.size() + 1), 1, L'\0');
        Text quote = Below(2) ? L"\"" : L"'";
        return Below(4) ? value : quote + value + (Below(6) ? quote : L"");
    }
    Text Line() {
        switch (Below(10)) {
        case 0:
            return Blanks() + L"[" + kSections[Below(8)] + (Below(10) ? L"]" : L"") +
                   (Below(4) ? L"" : L" ; x");
        case 1:
            return L";" + Name() + L"=" + Value();
        case 2:
            return Blanks();
        case 3:
            return Blanks() + Name() + Blanks();
        default:
            return Blanks() + Name() + Blanks() + L"=" + Blanks() + Value() + Blanks();
        }
    }
};

std::string Bytes(const Text& text, int encoding) {
    std::string bytes = encoding == Utf8Mark || encoding == MarkThenCodePage ? "\xEF\xBB\xBF"
                        : encoding == Utf16Le                                ? "\xFF\xFE"
                        : encoding == Utf16Be                                ? "\xFE\xFF"
                                                                             : "";
    if (encoding == Utf16Le || encoding == Utf16Be || encoding == Utf16NoMark) {
        size_t at = bytes.size();
        bytes.resize(at + 2 * text.size());
        for (wchar_t c : text) {
            bytes[at++] = static_cast<char>(encoding == Utf16Be ? c >> 8 : c);
            bytes[at++] = static_cast<char>(encoding == Utf16Be ? c : c >> 8);
        }
        return bytes;
    }
    UINT codePage = encoding == CodePage || encoding == MarkThenCodePage ? CP_ACP : CP_UTF8;
    std::string encoded(text.size() * 3, '\0');
    encoded.resize(WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &encoded[0],
                                       int(encoded.size()), nullptr, nullptr));
    return bytes + encoded;
}

// A difference we chose, by the name DEVELOPERS.md gives it; null for any other.
const char* Documented(const wchar_t* theirs, DWORD length, DWORD limit, const std::string& mine) {
    WideText ours(mine);
    // Ours is theirs without a broken last character, or with the last one theirs dropped.
    if (length == limit - 1 && IS_HIGH_SURROGATE(theirs[length - 1]) && DWORD(ours.Length()) == length - 1 &&
        !wmemcmp(ours.c_str(), theirs, length - 1))
        return "pair of surrogates at the cut";
    if (length == limit - 2 && DWORD(ours.Length()) == limit - 1 && !wmemcmp(ours.c_str(), theirs, length))
        return "quoted value that fills the buffer";
    return nullptr;
}
} // namespace

// KS_INI_SEED replays a seed, KS_INI_FILES soaks with more files.
TEST(IniFile, ReadsEveryGeneratedFileAsTheProfileReaderDoes) {
    const char* seedText = std::getenv("KS_INI_SEED");
    const char* countText = std::getenv("KS_INI_FILES");
    const unsigned seed = seedText ? std::atoi(seedText) : 24,
                   count = countText ? std::atoi(countText) : 1000;
    Generator generate{std::mt19937(seed)};
    TempFolder folder;
    std::map<std::string, int> documented;
    int keys = 0, differences = 0;
    static wchar_t theirs[32768];
    for (unsigned file = 0; file <= count; ++file) {
        int encoding = static_cast<int>(generate.Below(kEncodings));
        Text text = generate.Below(10) ? L"[installer]\r\n" : L"";
        for (size_t lines = 3 + generate.Below(25); lines > 0; --lines)
            text += generate.Line() + kLineEnds[generate.Below(5)];
        // The last file is larger than any settings file should be.
        if (file == count)
            text = L"[other]\r\n" + Text((16 << 20) + 64, L';') + L"\r\n[installer]\r\ndialog_title=big\r\n" +
                   text;
        std::string bytes = Bytes(text, encoding);
        std::string path = folder.WriteFile(std::to_string(file) + ".ini", bytes), theirPath = path;
        // Without a mark the reader takes the code page; we take well-formed UTF-8 as UTF-8, and
        // compare with the reader's reading of the same bytes behind a UTF-8 mark.
        bool marked =
            !bytes.rfind("\xEF\xBB\xBF", 0) || !bytes.rfind("\xFF\xFE", 0) || !bytes.rfind("\xFE\xFF", 0);
        if (!marked && IsUtf8(bytes.data(), bytes.size()) &&
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) {
            theirPath = folder.WriteFile(std::to_string(file) + "m.ini", "\xEF\xBB\xBF" + bytes);
            ++documented["UTF-8 without a mark"];
        }
        IniFile ini(path);
        for (const auto& [section, key, limit] : kReads) {
            DWORD length = GetPrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(), L"none",
                                                    theirs, limit, WideText(theirPath).c_str());
            std::string mine = ini.Read(section, key, "none", limit);
            ++keys;
            if (mine == Utf8Of(theirs, static_cast<int>(length)))
                continue;
            if (const char* why = Documented(theirs, length, limit, mine))
                ++documented[why];
            else if (++differences <= 10)
                ADD_FAILURE() << "seed " << seed << " file " << file << " encoding " << encoding << " ["
                              << section << "] " << key << " (" << limit << "): ours "
                              << testing::PrintToString(mine) << ", theirs "
                              << testing::PrintToString(Utf8Of(theirs, static_cast<int>(length))) << "\nfile "
                              << testing::PrintToString(bytes.substr(0, 300));
        }
    }
    std::printf("ini differential: %u files, %d keys, %d differences outside the documented ones\n",
                count + 1, keys, differences);
    std::printf("ini differential: seed %u; documented:", seed);
    for (const auto& [name, times] : documented)
        std::printf(" %s %d;", name.c_str(), times);
    std::printf("\n");
    EXPECT_EQ(differences, 0);
}
