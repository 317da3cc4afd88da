// Installations keep what they replace; the system menu's restore command puts it back.
#include <gtest/gtest.h>

#include "InstallerRun.h"
#include "framework/WideText.h"
#include "install/GameFolderLock.h"

using namespace controls;

namespace {
constexpr WPARAM kRestoreCommand = 0x0020;
constexpr int kStatus = 1009;

// A game with a file and an archive that the add-on replaces, and a file it adds.
struct Game {
    AddonLayout layout;

    explicit Game(const std::string& mode = "ok", const std::string& exeName = "KSInstaller.exe",
                  const std::string& folderSuffix = "")
        : layout(exeName, folderSuffix) {
        layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                        "copy_file_1=data\\gui.txt\r\ncopy_file_2=readme.txt\r\n");
        layout.Program().WriteFile("newgui.pff", "source");
        layout.Program().WriteFile("data\\gui.txt", "add-on gui");
        layout.Program().WriteFile("readme.txt", "add-on readme");
        layout.Game().WriteFile("data\\gui.txt", "original gui");
        layout.Game().WriteFile("resource.pff", "original archive\r\n");
        layout.Game().WriteFile("pack.exe", ReadWholeFile(WindowsPath(KS_PACK_EXE)));
        layout.Game().WriteFile("pack-mode.txt", mode + "\r\n");
        layout.RegisterGame("KS2", layout.GameDir());
    }

    void Install() {
        InstallerRun run(layout);
        ASSERT_NE(run.window, nullptr);
        Driver::Click(run.window, kInstall);
        Answer(run.driver, "KSInstaller", "Install done.");
        EXPECT_TRUE(run.Exit());
    }

    std::string Busy() const {
        return "Another installation or restore is working on " + layout.GameDir() +
               ". Wait until it has finished, then try again.";
    }

    std::string Question() const {
        return "Restore the original game files in " + layout.GameDir() +
               "? 2 kept files are put back and 1 added file is removed.";
    }
};
// Nothing is lost: each original game file is in place, or kept byte for byte and listed; each file
// an installation added is listed as added.
void ExpectNothingLost(const std::string& gameDir, const std::map<std::string, std::string>& before) {
    const std::string backup = "KSInstaller Backup\\";
    const std::map<std::string, std::string> now = GameFiles(gameDir);
    const std::string list = ReadWholeFile(gameDir + "\\" + backup + "KSInstaller Backup.txt");
    auto listed = [&](const std::string& line) { return list.find(line + "\r\n") != std::string::npos; };
    for (const auto& [name, content] : before) {
        auto found = now.find(name);
        if (found != now.end() && found->second == content)
            continue;
        EXPECT_TRUE(listed("kept " + name)) << name << " changed and is not listed";
        auto kept = now.find(backup + name);
        EXPECT_TRUE(kept != now.end() && kept->second == content) << name << " is not kept as it was";
    }
    for (const auto& [name, content] : now) {
        if (name.rfind(backup, 0) != 0 && name.back() != '\\' && !before.count(name)) {
            EXPECT_TRUE(listed("added " + name)) << name << " was added and is not listed";
        }
    }
}

// The short form of a path as the tool reads it: in the system code page.
std::string ShortPath(const std::string& path) {
    wchar_t shortPath[MAX_PATH];
    DWORD length = GetShortPathNameW(WideText(path).c_str(), shortPath, MAX_PATH);
    char narrow[2 * MAX_PATH];
    int size = length > 0 && length < MAX_PATH ? WideCharToMultiByte(CP_ACP, 0, shortPath, int(length),
                                                                     narrow, sizeof narrow, nullptr, nullptr)
                                               : 0;
    return std::string(narrow, size > 0 ? size : 0);
}

// Installs from the add-on folder, where the program is named programName, and restores again.
void InstallPackAndRestore(Game& game, const std::string& programName, const std::string& copied) {
    const std::string gameDir = game.layout.GameDir();
    const std::map<std::string, std::string> before = GameFiles(gameDir);
    {
        InstallerRun run(game.layout);
        ASSERT_NE(run.window, nullptr);
        EXPECT_EQ(run.Folder(), gameDir);
        Driver::Click(run.window, kInstall);
        Answer(run.driver, programName, "Install done.");
        EXPECT_EQ(ReadWholeFile(game.layout.Game() / copied), "add-on gui");
        EXPECT_NE(ReadWholeFile(game.layout.Game() / "resource.pff").find("packed "), std::string::npos);
        // The tool is handed short names, which the system code page carries.
        EXPECT_EQ(ReadWholeFile(game.layout.Game() / "pack-args.txt"),
                  ShortPath(gameDir + "\\resource.pff") + "\r\n" +
                      ShortPath(game.layout.Program() / "newgui.pff") + "\r\n/m\r\n");
        EXPECT_TRUE(run.Exit());
    }
    InstallerRun run(game.layout);
    ASSERT_NE(run.window, nullptr);
    PostMessageW(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    // Boxes without a caption of their own carry the renamed program's name.
    Answer(run.driver, programName, game.Question());
    Answer(run.driver, programName, "The original game files are back.");
    EXPECT_EQ(GameFiles(gameDir), before);
    EXPECT_TRUE(run.Exit());
}
} // namespace

TEST(Restore, FoldersNamedInScriptsNoCodePageHoldsAreFoundInstalledPackedAndRestoredByteForByte) {
    // Polish, Cyrillic, Chinese and a trademark sign: no single code page carries them all.
    const std::string name = " \xC5\x81\xC3\xB3\x64\xC5\xBA \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B "
                             "\xE6\xB8\xB8\xE6\x88\x8F \xE2\x84\xA2";
    Game game("ok", "Setup" + name + ".exe", name);
    InstallPackAndRestore(game, "Setup" + name, "data\\gui.txt");
}

// Run by the ctest entry e2e_cp932, which starts this program in a Japanese locale.
TEST(Restore, UnderADoubleByteCodePageANameWhoseSecondByteIsABackslashIsInstalledPackedAndRestored) {
    if (GetACP() != 932)
        GTEST_SKIP() << "the system code page is " << GetACP() << ", not 932";
    // 0x95 0x5C there: a walk over the code page's bytes would end the name at its second byte.
    const std::string table = "\xE8\xA1\xA8";
    Game game("ok", "Setup " + table + ".exe", " " + table);
    // Saved in the system code page, as install.ini files were before UTF-8.
    game.layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                         "copy_file_1=\x95\x5C\\gui.txt\r\ncopy_file_2=readme.txt\r\n");
    game.layout.Program().WriteFile(table + "\\gui.txt", "add-on gui");
    game.layout.Game().WriteFile(table + "\\gui.txt", "original gui");
    InstallPackAndRestore(game, "Setup " + table, table + "\\gui.txt");
}

TEST(Restore, TwoWindowsOnOneGameTakeTurnsInEachOrderAndTheLastRestoreGivesTheGameBackByteForByte) {
    Game game("slow 2");
    const std::string gameDir = game.layout.GameDir();
    const std::map<std::string, std::string> before = GameFiles(gameDir);
    InstallerRun a(game.layout);
    ASSERT_NE(a.window, nullptr);
    Driver::Click(a.window, kInstall);
    Answer(a.driver, "KSInstaller", "Install done.");
    const std::map<std::string, std::string> installed = GameFiles(gameDir);

    // A asks whether to restore; B's installation meanwhile changes nothing and says why.
    InstallerRun b(game.layout);
    ASSERT_NE(b.window, nullptr);
    PostMessageA(a.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    HWND question = a.driver.WaitForDialog("KSInstaller");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(Driver::BoxText(question), game.Question());
    game.layout.Program().WriteFile("data\\gui.txt", "second add-on gui");
    Driver::Click(b.window, kInstall);
    Answer(b.driver, "KSInstaller", game.Busy());
    EXPECT_TRUE(Driver::Settle(b.window));
    EXPECT_TRUE(b.Enabled(kInstall));
    EXPECT_EQ(GameFiles(gameDir), installed);
    EXPECT_TRUE(Driver::Dismiss(question, IDOK));
    Answer(a.driver, "KSInstaller", "The original game files are back.");
    EXPECT_EQ(GameFiles(gameDir), before);

    // B installs; A's restore meanwhile changes nothing and says why.
    Driver::Click(b.window, kInstall);
    for (DWORD start = GetTickCount(); Driver::ItemText(b.window, kStatus).rfind("Packing", 0) != 0 &&
                                       GetTickCount() - start < Driver::kTimeoutMs;)
        Sleep(20);
    ASSERT_EQ(Driver::ItemText(b.window, kStatus).rfind("Packing", 0), 0u)
        << Driver::ItemText(b.window, kStatus);
    a.Send(WM_SYSCOMMAND, kRestoreCommand);
    Answer(a.driver, "KSInstaller", game.Busy());
    Answer(b.driver, "KSInstaller", "Install done.");
    ExpectNothingLost(gameDir, before);
    EXPECT_EQ(ReadWholeFile(game.layout.Game() / "data\\gui.txt"), "second add-on gui");

    // A window that dies while it holds the folder lets go of it with its process.
    InstallerRun c(game.layout);
    ASSERT_NE(c.window, nullptr);
    PostMessageA(c.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    ASSERT_NE(c.driver.WaitForDialog("KSInstaller"), nullptr);
    a.Send(WM_SYSCOMMAND, kRestoreCommand);
    Answer(a.driver, "KSInstaller", game.Busy());
    TerminateProcess(c.driver.Process(), 1);
    ASSERT_TRUE(c.driver.WaitForExit());
    a.Send(WM_SYSCOMMAND, kRestoreCommand);
    Answer(a.driver, "KSInstaller", game.Question());
    Answer(a.driver, "KSInstaller", "The original game files are back.");
    EXPECT_EQ(GameFiles(gameDir), before);

    // D closes at once while its tool packs; the folder stays busy until the tool has ended.
    game.layout.Game().WriteFile("pack-mode.txt", "slow 6\r\n");
    InstallerRun d(game.layout);
    ASSERT_NE(d.window, nullptr);
    Driver::Click(d.window, kInstall);
    // Emulated, starting the batch alone may take seconds.
    for (DWORD start = GetTickCount();
         Driver::ItemText(d.window, kStatus).rfind("Packing", 0) != 0 && GetTickCount() - start < 60000;)
        Sleep(20);
    ASSERT_EQ(Driver::ItemText(d.window, kStatus).rfind("Packing", 0), 0u);
    EXPECT_TRUE(d.Exit());
    PostMessageA(a.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    Answer(a.driver, "KSInstaller", game.Busy());
    for (DWORD start = GetTickCount();
         !GameFolderLock().TryAcquire(gameDir.c_str()) && GetTickCount() - start < 60000;)
        Sleep(50);
    PostMessageA(a.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    Answer(a.driver, "KSInstaller", game.Question());
    Answer(a.driver, "KSInstaller", "The original game files are back.");
    std::map<std::string, std::string> now = GameFiles(gameDir), expected = before;
    now.erase("pack-mode.txt");
    expected.erase("pack-mode.txt");
    EXPECT_EQ(now, expected);
    EXPECT_TRUE(a.Exit());
    EXPECT_TRUE(b.Exit());
}

TEST(Restore, TwoInstallationsThenOneRestoreGiveTheGameFolderAsItWasBeforeTheFirst) {
    Game game;
    std::map<std::string, std::string> before = GameFiles(game.layout.GameDir());
    game.Install();
    EXPECT_EQ(ReadWholeFile(game.layout.Game() / "data\\gui.txt"), "add-on gui");
    EXPECT_NE(ReadWholeFile(game.layout.Game() / "resource.pff").find("packed"), std::string::npos);
    game.layout.Program().WriteFile("data\\gui.txt", "second add-on gui");
    game.Install();

    InstallerRun run(game.layout);
    ASSERT_NE(run.window, nullptr);
    // Cancel changes nothing, and a foreign 1726 while the question is open is no installation.
    PostMessageA(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    HWND question = run.driver.WaitForDialog("KSInstaller");
    ASSERT_NE(question, nullptr);
    PostMessageA(run.window, 1726, 0, 0);
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_EQ(Driver::BoxText(question), game.Question());
    EXPECT_TRUE(Driver::Dismiss(question, IDCANCEL));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 300));
    EXPECT_NE(Driver::ItemText(run.window, kInstall), "Done");
    EXPECT_EQ(ReadWholeFile(game.layout.Game() / "data\\gui.txt"), "second add-on gui");
    PostMessageA(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    Answer(run.driver, "KSInstaller", game.Question());
    Answer(run.driver, "KSInstaller", "The original game files are back.");
    EXPECT_EQ(GameFiles(game.layout.GameDir()), before);
    // Nothing is kept any more; the next installation starts a new backup.
    PostMessageA(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    Answer(run.driver, "KSInstaller", "No original game files are kept in " + game.layout.GameDir() + ".");
    EXPECT_TRUE(run.Exit());
}

TEST(Restore, GameFileHeldOpenFailsTheRestoreLosesNothingAndASecondRestoreSucceeds) {
    Game game;
    std::map<std::string, std::string> before = GameFiles(game.layout.GameDir());
    game.Install();
    std::map<std::string, std::string> installed = GameFiles(game.layout.GameDir());

    InstallerRun run(game.layout);
    ASSERT_NE(run.window, nullptr);
    {
        // As the running game would hold it.
        UniqueFileHandle held(CreateFileA((game.layout.Game() / "data\\gui.txt").c_str(), GENERIC_READ, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        PostMessageA(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
        Answer(run.driver, "KSInstaller", game.Question());
        HWND box = run.driver.WaitForDialog("KSInstaller");
        ASSERT_NE(box, nullptr);
        std::string text = Driver::BoxText(box);
        EXPECT_EQ(text.rfind("1 of 3 files could not be restored; the first was " +
                                 game.layout.Game() / "data\\gui.txt (error ",
                             0),
                  0u)
            << text;
        EXPECT_NE(text.find("). Nothing kept was deleted: close the game and try again."), std::string::npos);
        EXPECT_TRUE(Driver::Dismiss(box, IDOK));
    }
    EXPECT_EQ(ReadWholeFile(game.layout.Game() / "data\\gui.txt"), "add-on gui");
    EXPECT_EQ(ReadWholeFile(game.layout.Game() / "KSInstaller Backup\\data\\gui.txt"), "original gui");

    PostMessageA(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    Answer(run.driver, "KSInstaller",
           "Restore the original game files in " + game.layout.GameDir() +
               "? 1 kept file is put back and 0 added files are removed.");
    Answer(run.driver, "KSInstaller", "The original game files are back.");
    EXPECT_EQ(GameFiles(game.layout.GameDir()), before);
    EXPECT_TRUE(run.Exit());
}

TEST(Restore, CommandIsIgnoredWhilePackingAndWorksAfterwards) {
    Game game("slow 3");
    InstallerRun run(game.layout);
    ASSERT_NE(run.window, nullptr);
    Driver::Click(run.window, kInstall);
    for (DWORD start = GetTickCount(); run.Enabled(kInstall) && GetTickCount() - start < Driver::kTimeoutMs;)
        Sleep(20);
    ASSERT_FALSE(run.Enabled(kInstall));
    run.Send(WM_SYSCOMMAND, kRestoreCommand);
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 300));
    Answer(run.driver, "KSInstaller", "Install done.");
    run.Send(WM_SYSCOMMAND, kRestoreCommand);
    Answer(run.driver, "KSInstaller", game.Question(), IDCANCEL);
    EXPECT_TRUE(run.Exit());
}
