// Installations keep what they replace; the system menu's restore command puts it back.
#include <gtest/gtest.h>

#include <map>

#include "InstallerRun.h"

using namespace controls;

namespace {
constexpr WPARAM kRestoreCommand = 0x0020;

// Every file below a folder with its content and last write time, without what the pack tool
// itself writes beside it (its log and its record of arguments).
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    WalkTree(folder, [&](const std::string& name, const WIN32_FIND_DATAA& found) {
        std::string leaf = name.substr(name.rfind('\\') + 1);
        if (leaf.rfind("log_", 0) == 0 || leaf == "pack-args.txt")
            return;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            files[name + "\\"] = "";
        else
            files[name] = ReadWholeFile(folder + "\\" + name) + " @" +
                          std::to_string(found.ftLastWriteTime.dwLowDateTime) + "," +
                          std::to_string(found.ftLastWriteTime.dwHighDateTime);
    });
    return files;
}

// A game with a file and an archive that the add-on replaces, and a file it adds.
struct Game {
    AddonLayout layout;

    explicit Game(const std::string& mode = "ok") {
        layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                        "copy_file_1=data\\gui.txt\r\ncopy_file_2=readme.txt\r\n");
        layout.Program().WriteFile("newgui.pff", "source");
        layout.Program().WriteFile("data\\gui.txt", "add-on gui");
        layout.Program().WriteFile("readme.txt", "add-on readme");
        layout.Game().WriteFile("data\\gui.txt", "original gui");
        layout.Game().WriteFile("resource.pff", "original archive\r\n");
        CopyFileA(WindowsPath(KS_PACK_EXE).c_str(), (layout.Game() / "pack.exe").c_str(), FALSE);
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

    std::string Question() const {
        return "Restore the original game files in " + layout.GameDir() +
               "? 2 kept files are put back and 1 added files are removed.";
    }
};
} // namespace

TEST(Restore, TwoInstallationsThenOneRestoreGiveTheGameFolderAsItWasBeforeTheFirst) {
    Game game;
    std::map<std::string, std::string> before = Files(game.layout.GameDir());
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
    EXPECT_EQ(Files(game.layout.GameDir()), before);
    // Nothing is kept any more; the next installation starts a new backup.
    PostMessageA(run.window, WM_SYSCOMMAND, kRestoreCommand, 0);
    Answer(run.driver, "KSInstaller", "No original game files are kept in " + game.layout.GameDir() + ".");
    EXPECT_TRUE(run.Exit());
}

TEST(Restore, GameFileHeldOpenFailsTheRestoreLosesNothingAndASecondRestoreSucceeds) {
    Game game;
    std::map<std::string, std::string> before = Files(game.layout.GameDir());
    game.Install();
    std::map<std::string, std::string> installed = Files(game.layout.GameDir());

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
               "? 1 kept files are put back and 0 added files are removed.");
    Answer(run.driver, "KSInstaller", "The original game files are back.");
    EXPECT_EQ(Files(game.layout.GameDir()), before);
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
