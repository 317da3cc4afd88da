// Whole installations with the stand-in pack tool: success, failures, exit while packing, odd folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "AddonLayout.h"
#include "Driver.h"

namespace {
constexpr int kExit = IDOK;
constexpr int kChangePath = 1001;
constexpr int kInstall = 1003;
constexpr int kResetDefault = 1004;

std::string ShortPath(const std::string& path) {
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? path : std::string(shortPath, length);
}

// The names in a folder that match a pattern such as "log_*.txt".
std::vector<std::string> Matches(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// An add-on whose game folder holds the stand-in pack tool in the given mode.
struct PackInstall {
    AddonLayout layout{"kit.exe"};
    std::string game;
    Driver driver;
    HWND window = nullptr;

    explicit PackInstall(const std::string& mode, const std::string& gameSubfolder = "",
                         const std::string& moreKeys = "", bool start = true) {
        game = gameSubfolder.empty() ? layout.GameDir() : layout.Game().MakeFolder(gameSubfolder);
        layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n" +
                        moreKeys);
        layout.Program().WriteFile("newgui.pff", "source");
        CopyFileA(WindowsPath(KS_PACK_EXE).c_str(), (game + "\\pack.exe").c_str(), FALSE);
        WriteFileText(game + "\\resource.pff", "destination");
        SetMode(mode);
        layout.RegisterGame("KS2", game);
        if (start)
            StartAs('"' + layout.Exe() + '"', layout.ProgramDir());
    }
    void StartAs(const std::string& commandLine, const std::string& workingDir) {
        window = driver.StartAs(layout.Exe(), commandLine, workingDir) ? driver.WaitForMainWindow() : nullptr;
        Driver::Settle(window);
    }
    void SetMode(const std::string& mode) const { WriteFileText(game + "\\pack-mode.txt", mode + "\r\n"); }
    static void WriteFileText(const std::string& path, const std::string& text) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string LogPath() const {
        std::vector<std::string> logs = Matches(game, "log_*.txt");
        return logs.size() == 1 ? ShortPath(game) + "\\" + logs[0]
                                : "<" + std::to_string(logs.size()) + " logs>";
    }
    // The log is named after the tick count of the run and may never have come into being.
    bool IsFailureText(const std::string& text, int ok) const {
        std::string start = "Packing failed: " + std::to_string(ok) +
                            " of 1 archives reported OK. See the log " + ShortPath(game) + "\\log_";
        return text.rfind(start, 0) == 0 && text.size() > start.size() + 4 &&
               text.compare(text.size() - 4, 4, ".txt") == 0;
    }
    // Waits for the box with this caption and text and closes it.
    bool Answer(const std::string& caption, const std::string& text,
                DWORD timeoutMs = Driver::kTimeoutMs) const {
        HWND box = driver.WaitForDialog(caption, timeoutMs);
        EXPECT_NE(box, nullptr) << "no box captioned " << caption << " saying " << text;
        if (!box)
            return false;
        EXPECT_EQ(Driver::BoxText(box), text);
        return Driver::Dismiss(box, IDOK);
    }
    void Press(int id) const {
        Driver::Click(window, id);
        Driver::Settle(window);
    }
    bool Exit() const {
        Driver::Click(window, kExit);
        return driver.WaitForExit();
    }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(driver.Process(), &code);
        return code;
    }
};
} // namespace

TEST(PackRun, SuccessShowsInstallDoneLeavesTheButtonInertAndTheLogBehind) {
    PackInstall run("ok");
    ASSERT_NE(run.window, nullptr);
    // Pack reports from anyone but our own run change nothing.
    for (UINT message : {2060u, 2061u}) {
        PostMessageA(run.window, message, 0, 0);
        PostMessageA(run.window, message, 0xDEADBEEF, MAKELPARAM(9, 1));
    }
    Driver::Settle(run.window);
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300));
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kInstall));

    // A second press right behind the first must not start a second installation.
    Driver::Click(run.window, kInstall);
    run.Press(kInstall);
    ASSERT_TRUE(run.Answer("kit", "Install done."));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300));
    Driver::Settle(run.window);
    EXPECT_EQ(Matches(run.game, "log_*.txt").size(), 1u);
    EXPECT_EQ(Driver::ItemText(run.window, kInstall), "Done");
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kInstall));
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kChangePath));
    ASSERT_EQ(Matches(run.layout.ProgramDir(), "packit_*.bat").size(), 1u);

    DeleteFileA((run.game + "\\pack-args.txt").c_str());
    run.Press(kInstall);
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 500));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 1));
    EXPECT_FALSE(PathExists(run.game + "\\pack-args.txt"));

    std::string log = run.LogPath();
    EXPECT_TRUE(run.Exit());
    EXPECT_TRUE(Matches(run.layout.ProgramDir(), "packit_*.bat").empty());
    EXPECT_EQ(ReadWholeFile(log), ShortPath(run.layout.Program() / "newgui.pff") + ": OK\r\n");
}

TEST(PackRun, FailedSourceIsReportedWithTheLogAndTheWindowIsReadyForAnotherTry) {
    PackInstall run("fail");
    ASSERT_NE(run.window, nullptr);
    run.Press(kInstall);
    HWND box = run.driver.WaitForDialog("KSInstaller");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Driver::BoxText(box),
              "Packing failed: 0 of 1 archives reported OK. See the log " + run.LogPath());
    ASSERT_TRUE(Driver::Dismiss(box, IDOK));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300)); // never "Install done."
    Driver::Settle(run.window);
    EXPECT_EQ(Driver::ItemText(run.window, kInstall), "Install New GUI");
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kInstall));
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kChangePath));

    DeleteFileA(run.LogPath().c_str());
    run.SetMode("ok");
    run.Press(kInstall);
    EXPECT_TRUE(run.Answer("kit", "Install done."));
    EXPECT_TRUE(run.Exit());
}

TEST(PackRun, SilentOrVanishingToolIsAFailureNotAWaitForEver) {
    for (const char* mode : {"silent", "exit"}) {
        PackInstall run(mode);
        ASSERT_NE(run.window, nullptr);
        run.Press(kInstall);
        HWND box = run.driver.WaitForDialog("KSInstaller");
        ASSERT_NE(box, nullptr) << mode;
        EXPECT_TRUE(run.IsFailureText(Driver::BoxText(box), 0)) << Driver::BoxText(box);
        EXPECT_TRUE(Driver::Dismiss(box, IDOK));
        EXPECT_TRUE(run.Exit());
    }
}

TEST(PackRun, ExitWhilePackingEndsCleanlyWithoutABoxAndNeitherQueuedClicksNorForeignReportsFinishIt) {
    PackInstall run("slow 2");
    ASSERT_NE(run.window, nullptr);
    // Clicks queued behind the install press arrive before the run's first report.
    Driver::Click(run.window, kInstall);
    Driver::Click(run.window, kChangePath);
    run.Press(kResetDefault);
    EXPECT_TRUE(run.driver.NoDialogFor("Browse for Kestrel Squad Folder", 300));
    for (DWORD start = GetTickCount();
         Driver::ItemEnabled(run.window, kInstall) && GetTickCount() - start < 5000;)
        Sleep(20);
    Driver::Settle(run.window);
    EXPECT_FALSE(Driver::ItemEnabled(run.window, kInstall));
    EXPECT_FALSE(Driver::ItemEnabled(run.window, kChangePath));
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kExit));
    PostMessageA(run.window, 2061, 1, MAKELPARAM(1, 1));
    PostMessageA(run.window, 2061, 0xDEADBEEF, -1);
    PostMessageA(run.window, 1726, 0, 0);
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300));
    EXPECT_FALSE(Driver::ItemEnabled(run.window, kInstall));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 1));

    EXPECT_TRUE(run.Exit());
    EXPECT_EQ(run.ExitCode(), 0u);
    // The tool runs on; let it finish before its folder is removed.
    for (DWORD start = GetTickCount(); ReadWholeFile(run.LogPath()).empty() && GetTickCount() - start < 6000;)
        Sleep(50);
    Sleep(200);
}

TEST(PackRun, GameFolderWithAmpersandAndPercentReachesTheToolUnchanged) {
    PackInstall run("ok", "R&D%OS%");
    ASSERT_NE(run.window, nullptr);
    run.Press(kInstall);
    EXPECT_TRUE(run.Answer("kit", "Install done."));
    EXPECT_EQ(ReadWholeFile(run.game + "\\pack-args.txt"),
              ShortPath(run.game + "\\resource.pff") + "\r\n" +
                  ShortPath(run.layout.Program() / "newgui.pff") + "\r\n/m\r\n");
    EXPECT_NE(run.LogPath().find("R&D%OS%"), std::string::npos) << run.LogPath();
    EXPECT_TRUE(run.Exit());
    // Nothing but the tool ran: no stray output beside the program or the game.
    EXPECT_EQ(Matches(run.layout.ProgramDir(), "*").size(), 5u); // ., .., kit.exe, install.ini, newgui.pff
    EXPECT_EQ(Matches(run.layout.GameDir(), "*").size(), 3u);    // ., .., R&D%OS%
}

TEST(PackRun, PressWhileTheFirstPressShowsABoxStartsNoSecondInstallation) {
    PackInstall run("ok", "", "copy_file_1=missing.txt\r\n");
    ASSERT_NE(run.window, nullptr);
    run.Press(kInstall);
    HWND box = run.driver.WaitForDialog("KSInstaller");
    ASSERT_NE(box, nullptr);
    // The box's own loop would hand this press to the window while the first one waits.
    run.Press(kInstall);
    ASSERT_TRUE(Driver::Dismiss(box, IDOK));
    EXPECT_TRUE(run.Answer("kit", "Install done."));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 300));
    EXPECT_EQ(Matches(run.game, "log_*.txt").size(), 1u);
    EXPECT_TRUE(run.Exit());
}

TEST(PackRun, StartedByARelativeOrBareNameFromElsewhereReadsAndPacksItsOwnFolder) {
    PackInstall run("ok", "", "", false);
    run.layout.WriteIni("dialog_title=Own ini\r\nks_version=KS2\r\nsource_pff=data\\newgui.pff\r\n"
                        "destination_pff=resource.pff\r\n");
    run.layout.Program().WriteFile("data\\newgui.pff", "source");
    const std::string& program = run.layout.ProgramDir();
    std::string parent = program.substr(0, program.rfind('\\'));
    std::string relative = program.substr(parent.size() + 1) + "\\kit.exe";

    // From the parent folder, which holds no data\newgui.pff of its own.
    run.StartAs(relative, parent);
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(Driver::Text(run.window), "Own ini");
    run.Press(kInstall);
    EXPECT_TRUE(run.Answer("kit", "Install done."));
    EXPECT_EQ(ReadWholeFile(run.game + "\\pack-args.txt"),
              ShortPath(run.game + "\\resource.pff") + "\r\n" +
                  ShortPath(run.layout.Program() / "data\\newgui.pff") + "\r\n/m\r\n");
    EXPECT_TRUE(run.Exit());

    // A bare name says nothing of the folder: not the current directory's install.ini but our own,
    // however long or odd that directory is.
    std::string decoy = run.layout.Game().MakeFolder("decoy");
    run.layout.Game().WriteFile("decoy\\install.ini", "[installer]\r\ndialog_title=Wrong ini\r\n");
    run.StartAs("kit.exe", decoy);
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(Driver::Text(run.window), "Own ini");
    EXPECT_TRUE(run.Exit());
}
