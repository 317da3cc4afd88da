// Registry reading and game folder detection against the real (Wine) registry.
#include <gtest/gtest.h>

#include <windows.h>

#include "settings/EditionTable.h"
#include "settings/InstallSettings.h"
#include "settings/RegistryKey.h"
#include "settings/RegistryValue.h"
#include "support/TempFolder.h"

namespace {
const char* const kTestKey = "Software\\KSInstallerTests\\Values";

// A key of the test's own under HKEY_CURRENT_USER, removed afterwards.
class ScratchKey {
public:
    ScratchKey() {
        RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    ~ScratchKey() {
        RegCloseKey(m_key);
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    }
    void SetWide(const wchar_t* name, DWORD type, const wchar_t* text) {
        RegSetValueExW(m_key, name, 0, type, reinterpret_cast<const BYTE*>(text),
                       DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    void Set(const char* name, DWORD type, const void* data, DWORD size) {
        RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
    }

private:
    HKEY m_key = nullptr;
};

bool KeyExists(HKEY root, const char* subkey) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void SetGamePath(const Edition& edition, const char* path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, edition.m_registryKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (path)
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), DWORD(strlen(path) + 1));
    RegCloseKey(key);
}
} // namespace

TEST(RegistryValue, ReadsOnlySaneStringsAndNeverRunsPastItsData) {
    ScratchKey scratch;
    scratch.Set("text", REG_SZ, "C:\\Games\\KS2", 13);
    // Stored without its terminating zero.
    scratch.Set("unterminated", REG_SZ, "C:\\Open", 7);
    scratch.Set("empty", REG_SZ, "", 0);
    DWORD number = 42;
    scratch.Set("number", REG_DWORD, &number, sizeof number);
    SetEnvironmentVariableA("KS_TEST_ROOT", "C:\\Root");
    scratch.Set("expand", REG_EXPAND_SZ, "%KS_TEST_ROOT%\\KS", 18);
    std::string tenThousand(10000, 'p');
    scratch.Set("long", REG_SZ, tenThousand.c_str(), DWORD(tenThousand.size() + 1));
    std::string huge(RegistryValue::kMaxBytes + 10, 'h');
    scratch.Set("huge", REG_SZ, huge.c_str(), DWORD(huge.size() + 1));

    // Folder names in any script, stored and expanded, come back exactly (as UTF-8).
    scratch.SetWide(L"unicode", REG_SZ,
                    L"C:\\GAMES\\\u0141\u00F3d\u017A \u0418\u0433\u0440\u044B \u6E38\u620F \u2122");
    SetEnvironmentVariableW(L"KS_TEST_SCRIPT", L"\u0418\u0433\u0440\u044B");
    scratch.SetWide(L"expandUnicode", REG_EXPAND_SZ, L"C:\\%KS_TEST_SCRIPT%\\\u6E38\u620F");

    RegistryKey key(HKEY_CURRENT_USER, kTestKey);
    ASSERT_NE(key.Handle(), nullptr);
    auto read = [&](const char* name) {
        RegistryValue value(key, name);
        const char* text = value.ReadString();
        return text ? std::string(text) : std::string("<null>");
    };
    EXPECT_EQ(read("text"), "C:\\Games\\KS2");
    EXPECT_EQ(read("unterminated"), "C:\\Open");
    EXPECT_EQ(read("long"), tenThousand);
    EXPECT_EQ(read("empty"), "<null>");
    EXPECT_EQ(read("number"), "<null>");
    EXPECT_EQ(read("expand"), "C:\\Root\\KS");
    EXPECT_EQ(read("huge"), "<null>");
    EXPECT_EQ(read("missing"), "<null>");
    EXPECT_EQ(read("unicode"), "C:\\GAMES\\\xC5\x81\xC3\xB3\x64\xC5\xBA \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B "
                               "\xE6\xB8\xB8\xE6\x88\x8F \xE2\x84\xA2");
    EXPECT_EQ(read("expandUnicode"), "C:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\\xE6\xB8\xB8\xE6\x88\x8F");
}

TEST(RegistryKey, OpensForReadingAndNeverCreatesTheKey) {
    const char* absent = "Software\\KSInstallerTests\\NeverCreated";
    RegistryKey key(HKEY_LOCAL_MACHINE, absent);
    EXPECT_EQ(key.Handle(), nullptr);
    EXPECT_EQ(key.Error(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, absent));
    RegistryValue value(key, "Path");
    EXPECT_EQ(value.ReadString(), nullptr);
}

TEST(DetectGameFolder, UsesTheRecordedPathThenTheEditionDefault) {
    InstallSettings settings;

    const Edition* ks2 = EditionTable::Find("KS2");
    ASSERT_NE(ks2, nullptr);
    SetGamePath(*ks2, "D:\\Games\\Kestrel Squad 2\\");
    settings.m_editionCode = "KS2";
    EXPECT_EQ(settings.DetectGameFolder(), "D:\\Games\\Kestrel Squad 2\\");
    EXPECT_EQ(settings.m_gameFolder, "D:\\Games\\Kestrel Squad 2\\");

    // A folder written for a search path loses its closing ';' unless the value names a folder as it is.
    TempFolder game;
    std::string semicolonFolder = game.MakeFolder("odd;");
    SetGamePath(*ks2, (game.Path() + ";; ").c_str());
    EXPECT_EQ(settings.DetectGameFolder(), game.Path());
    SetGamePath(*ks2, semicolonFolder.c_str());
    EXPECT_EQ(settings.DetectGameFolder(), semicolonFolder);

    // An empty recorded path falls back to the default.
    SetGamePath(*ks2, "");
    EXPECT_EQ(settings.DetectGameFolder(), ks2->m_defaultFolder);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, ks2->m_registryKey);

    const Edition* v4 = EditionTable::Find("V4");
    ASSERT_NE(v4, nullptr);
    settings.m_editionCode = "V4";
    EXPECT_EQ(settings.DetectGameFolder(), "C:\\Program Files\\Zentavo\\Vortan 4");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, v4->m_registryKey));

    for (const char* code : {"", "ks2", "KS4", "KS2 "}) {
        settings.m_gameFolder = "stale";
        settings.m_editionCode = code;
        EXPECT_EQ(settings.DetectGameFolder(), "") << code;
        EXPECT_EQ(settings.m_gameFolder, "") << code;
    }
}

TEST(EditionTable, HoldsTheFiveEditionsInOrder) {
    const char* codes[] = {"KS1", "KS2", "KS3", "V4", "GRV"};
    for (int i = 0; i < EditionTable::kRowCount; ++i) {
        EXPECT_STREQ(EditionTable::kRows[i].m_code, codes[i]);
        EXPECT_EQ(EditionTable::Find(codes[i]), &EditionTable::kRows[i]);
    }
    EXPECT_EQ(EditionTable::Find("GRV")->m_defaultFolder,
              std::string("C:\\Program Files\\Zentavo\\Kestrel Squad Grim Valley"));
}
