// Whole installations with the stand-in pack tool: success, failures, exit while packing, odd folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "AddonLayout.h"
#include "Driver.h"

namespace {
constexpr int kExit = IDOK;
constexpr int kChangePath = 1001;
constexpr int kInstall = 1003;
constexpr int kResetDefault = 1004;
constexpr int kStatus = 1009;
constexpr int kProgress = 1010;
constexpr LONGLONG kBigFileSize = 300LL << 20;

// Quick to make: the system fills the length with zeros.
void MakeBigFile(const std::string& path) {
    UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER size;
    size.QuadPart = kBigFileSize;
    ASSERT_TRUE(file && SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
}

LONGLONG FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

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
        EXPECT_TRUE(Driver::Settle(window));
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
        EXPECT_TRUE(Driver::Settle(window));
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
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300));
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kInstall));

    // A second press right behind the first must not start a second installation.
    Driver::Click(run.window, kInstall);
    run.Press(kInstall);
    ASSERT_TRUE(run.Answer("kit", "Install done."));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300));
    EXPECT_TRUE(Driver::Settle(run.window));
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
    EXPECT_EQ(Driver::ItemText(run.window, kStatus), "Packing failed.");
    ASSERT_TRUE(Driver::Dismiss(box, IDOK));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300)); // never "Install done."
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_EQ(Driver::ItemText(run.window, kStatus), "");
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
    PackInstall run("slow 4");
    ASSERT_NE(run.window, nullptr);
    run.Press(kInstall);
    for (DWORD start = GetTickCount(); Driver::ItemText(run.window, kStatus).rfind("Packing", 0) != 0 &&
                                       GetTickCount() - start < Driver::kTimeoutMs;)
        Sleep(20);
    ASSERT_EQ(Driver::ItemText(run.window, kStatus).rfind("Packing", 0), 0u) << "packing never began";
    // Clicks queued before the buttons went grey reach the window while packing runs; reports
    // from anyone but the run itself come in too.
    Driver::Click(run.window, kChangePath);
    Driver::Click(run.window, kResetDefault);
    PostMessageA(run.window, 2061, 1, MAKELPARAM(1, 1));
    PostMessageA(run.window, 2061, 0xDEADBEEF, -1);
    PostMessageA(run.window, 1726, 0, 0);
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_TRUE(run.driver.NoDialogFor("Browse for Kestrel Squad Folder", 300));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 1));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 1));
    EXPECT_FALSE(Driver::ItemEnabled(run.window, kInstall));
    EXPECT_FALSE(Driver::ItemEnabled(run.window, kChangePath));
    EXPECT_TRUE(Driver::ItemEnabled(run.window, kExit));
    EXPECT_EQ(Driver::ItemText(run.window, kStatus).rfind("Packing", 0), 0u) << "the tool ended too soon";

    // Exit while the tool really runs: it has written down its arguments.
    for (DWORD start = GetTickCount();
         !PathExists(run.game + "\\pack-args.txt") && GetTickCount() - start < Driver::kTimeoutMs;)
        Sleep(20);
    ASSERT_TRUE(PathExists(run.game + "\\pack-args.txt")) << "the tool never started";
    EXPECT_TRUE(run.Exit());
    EXPECT_EQ(run.ExitCode(), 0u);
    // The tool runs on; the folders may go once the interpreter has written its log and let it go.
    bool ended = false;
    for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < 20000; Sleep(50)) {
        std::string log = run.LogPath();
        ended =
            !ReadWholeFile(log).empty() &&
            UniqueFileHandle(CreateFileA(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    EXPECT_TRUE(ended) << "the pack run did not end";
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

TEST(PackRun, StatusAndBarFollowTheInstallAndABigCopyNeverKeepsTheWindowFromAnswering) {
    PackInstall run("slow 2", "", "copy_file_1=big.bin\r\ncopy_file_2=missing.txt\r\n");
    ASSERT_NE(run.window, nullptr);
    MakeBigFile(run.layout.Program() / "big.bin");
    // The game archive is as big: keeping it before packing must not freeze the window either.
    MakeBigFile(run.game + "\\resource.pff");
    HWND status = GetDlgItem(run.window, kStatus);
    HWND bar = GetDlgItem(run.window, kProgress);
    ASSERT_TRUE(IsWindowVisible(status) && IsWindowVisible(bar));
    EXPECT_EQ(Driver::Text(status), "");
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);

    // Every question to the window counts, so that none can wait behind a frozen one unseen. The
    // copies run beside the window, which answers within 250 ms. Once the archive is kept, the
    // shell call that starts the tool runs on the window's thread: a few hundred ms under Wine,
    // more under emulation (./run bench prints it); a frozen window takes far longer than 2 s.
    int unanswered = 0;
    const std::string kept = run.game + "\\KSInstaller Backup\\resource.pff";
    auto timed = [&](auto ask) {
        DWORD allowed = FileSize(kept) == kBigFileSize ? 2000 : 250;
        DWORD started = GetTickCount();
        auto answer = ask();
        unanswered += GetTickCount() - started > allowed;
        return answer;
    };
    auto probe = [&] {
        DWORD_PTR ignored;
        timed([&] { return SendMessageTimeoutA(run.window, WM_NULL, 0, 0, SMTO_NORMAL, 2500, &ignored); });
    };
    std::vector<std::string> texts;
    auto note = [&] {
        std::string text = timed([&] { return Driver::Text(status); });
        if (!text.empty() && (texts.empty() || texts.back() != text))
            texts.push_back(text);
        return text;
    };
    Driver::Click(run.window, kInstall);
    // The missing second file stops the loop in a box; until then the big one is copied.
    HWND box = nullptr;
    LRESULT furthest = 0;
    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 60000; Sleep(10)) {
        probe();
        if (note() == "Copying big.bin (1 of 2)")
            furthest = std::max(furthest, timed([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0); }));
        box = run.driver.WaitForDialog("KSInstaller", 1);
    }
    EXPECT_EQ(unanswered, 0);
    EXPECT_GT(furthest, 0);
    ASSERT_NE(box, nullptr);
    note();
    ASSERT_TRUE(Driver::Dismiss(box, IDOK));

    HWND done = nullptr;
    bool marquee = false;
    for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 60000; Sleep(10)) {
        probe();
        if (note().rfind("Packing", 0) == 0)
            marquee = marquee || (GetWindowLongPtrA(bar, GWL_STYLE) & PBS_MARQUEE);
        done = run.driver.WaitForDialog("kit", 1);
    }
    ASSERT_NE(done, nullptr);
    note();
    EXPECT_EQ(unanswered, 0);
    EXPECT_TRUE(marquee);
    std::vector<std::string> expected{"Copying big.bin (1 of 2)", "Copying missing.txt (2 of 2)",
                                      "Keeping the original resource.pff", "Packing resource.pff... 0 s",
                                      "Packing resource.pff... 1 s"};
    ASSERT_GE(texts.size(), expected.size() + 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), texts.begin())) << testing::PrintToString(texts);
    for (size_t i = expected.size(); i + 1 < texts.size(); ++i)
        EXPECT_EQ(texts[i].rfind("Packing resource.pff... ", 0), 0u) << texts[i];
    EXPECT_EQ(texts.back(), "Installed, but 1 of 2 listed files could not be copied.");
    EXPECT_EQ(FileSize(run.game + "\\big.bin"), kBigFileSize);
    EXPECT_TRUE(Driver::Dismiss(done, IDOK));
    EXPECT_TRUE(run.Exit());
}

TEST(PackRun, ExitDuringABigCopyEndsCleanlyWithTheOldOrTheNewGameFileAndNoPartOfIt) {
    PackInstall run("ok", "", "copy_file_1=big.bin\r\n");
    ASSERT_NE(run.window, nullptr);
    MakeBigFile(run.layout.Program() / "big.bin");
    PackInstall::WriteFileText(run.game + "\\big.bin", "old");
    HWND bar = GetDlgItem(run.window, kProgress);
    Driver::Click(run.window, kInstall);
    // Well inside the copy when the bar has moved; Exit goes anyway if the copy was quicker.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000 &&
                                       !run.driver.WaitForDialog("kit", 1) &&
                                       SendMessageA(bar, PBM_GETPOS, 0, 0) == 0;)
        Sleep(5);
    // Other presses meanwhile start nothing: no browse dialog, no second copy.
    for (int id : {kChangePath, 1004, kInstall})
        Driver::Click(run.window, id);
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_TRUE(run.driver.NoDialogFor("Browse for Kestrel Squad Folder", 1));
    EXPECT_TRUE(run.Exit());
    EXPECT_EQ(run.ExitCode(), 0u);
    LONGLONG size = FileSize(run.game + "\\big.bin");
    EXPECT_TRUE(size == kBigFileSize || (size == 3 && ReadWholeFile(run.game + "\\big.bin") == "old"))
        << size;
    EXPECT_TRUE(Matches(run.game + "\\KSInstaller Backup\\KSInstaller Work", "*.new").empty());
}
