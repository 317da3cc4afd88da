// install.ini values, the program folder, the file check and short paths.
#include <gtest/gtest.h>

#include <windows.h>

#include "settings/InstallSettings.h"
#include "support/TempFolder.h"

namespace {
// Settings that read an install.ini of the test's own.
struct IniFixture {
    TempFolder folder;
    InstallSettings settings;

    explicit IniFixture(const std::string& ini) { settings.m_iniPath = folder.WriteFile("install.ini", ini); }
};
} // namespace

TEST(GetIniString, ReadsKeysWithIndexAndDefaultsAndCutsAt259Characters) {
    IniFixture f(
        "[installer]\r\ndialog_title=My Pak\r\ncopy_file_2=b.txt\r\nlong=" + std::string(10000, 'L') +
        "\r\nexact=" + std::string(259, 'E') + "\r\n[other]\r\ndialog_title=wrong\r\n");
    EXPECT_EQ(f.settings.GetIniString("dialog_title", "x", -1), "My Pak");
    EXPECT_EQ(f.settings.GetIniString("copy_file_", "", 2), "b.txt");
    EXPECT_EQ(f.settings.GetIniString("copy_file_", "", 1), "");
    EXPECT_EQ(f.settings.GetIniString("eula_text", "Carrowind", -1), "Carrowind");
    EXPECT_EQ(f.settings.GetIniString("exact", "", -1), std::string(259, 'E'));
    EXPECT_EQ(f.settings.GetIniString("long", "", -1), std::string(259, 'L'));

    // How values are read, in every encoding and script: ini_file_test.cpp.
    f.settings.m_iniPath = f.folder / "missing.ini";
    EXPECT_EQ(f.settings.GetIniString("dialog_title", "Carrowind Expansion Pak", -1),
              "Carrowind Expansion Pak");
}

TEST(InstallSettings, ConstructorReadsArchivesAndEditionFromTheProgramFolder) {
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string exe(module, length);
    const std::string folder = exe.substr(0, exe.rfind('\\'));
    // An install.ini beside the test program, for this test alone.
    const std::string ini = folder + "\\install.ini";
    WritePrivateProfileStringA("installer", "ks_version", "KS2", ini.c_str());
    WritePrivateProfileStringA("installer", "source_pff", "newgui.pff", ini.c_str());
    WritePrivateProfileStringA("installer", "destination_pff", "resource.pff", ini.c_str());
    InstallSettings settings;
    EXPECT_EQ(settings.GetProgramDir(), folder);
    EXPECT_EQ(settings.m_iniPath, ini);
    EXPECT_EQ(settings.m_section, "installer");
    EXPECT_EQ(settings.m_editionCode, "KS2");
    EXPECT_EQ(settings.m_sourcePffs, std::vector<std::string>{"newgui.pff"});
    EXPECT_EQ(settings.m_destinationPff, "resource.pff");
    DeleteFileA(ini.c_str());
}

TEST(FileExists, IsTrueForAnExistingFileAloneNeverForAFolderOrAWildcard) {
    IniFixture f("");
    std::string file = f.folder.WriteFile("pack.exe", "MZ");
    std::string sub = f.folder.MakeFolder("sub");
    EXPECT_TRUE(f.settings.FileExists(file));
    EXPECT_FALSE(f.settings.FileExists(f.folder / "missing.pff"));
    EXPECT_FALSE(f.settings.FileExists(sub));
    EXPECT_FALSE(f.settings.FileExists(f.folder / "*.exe"));
}

TEST(GetShortPath, GivesTheShortFormOrThePathUnchanged) {
    IniFixture f("");
    f.folder.MakeFolder("A Long Folder Name");
    std::string longForm = f.folder / "A Long Folder Name";
    std::string shortForm = f.settings.GetShortPath(longForm);
    EXPECT_EQ(GetFileAttributesA(shortForm.c_str()), GetFileAttributesA(longForm.c_str()));
    EXPECT_EQ(shortForm.find(' '), std::string::npos);

    std::string missing = f.folder / "no such folder";
    EXPECT_EQ(f.settings.GetShortPath(missing), missing);

    // Deeper than the 260-byte buffer: the call reports the size it needs, not the text.
    std::string deep = f.folder.Path();
    while (deep.size() < 300) {
        deep += "\\deeper folder name";
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    EXPECT_EQ(f.settings.GetShortPath(deep), deep);
}
