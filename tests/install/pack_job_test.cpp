// The pack job: its checks in order, the source names, the batch file and the launch.
#include <gtest/gtest.h>

#include <windows.h>

#include "ReportWindow.h"
#include "settings/InstallSettings.h"
#include "RecordingOwner.h"
#include "framework/TextFormat.h"
#include "framework/Utf8.h"
#include "install/FileCopier.h"
#include "install/PackJob.h"
#include "install/RelativeName.h"
#include "pack/BatchLine.h"
#include "pack/Messages.h"
#include "pack/PackRun.h"
#include "support/TempFolder.h"

namespace {
std::string PackToolFromBuild() {
    std::string path = std::string("Z:") + KS_PACK_EXE;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// Worked out apart from the code under test, straight from the system.
std::string ShortPath(const std::string& path) {
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? path : std::string(shortPath, length);
}

// Settings over scratch add-on and game folders named with the suffix, telling a hidden window.
struct JobFixture {
    TempFolder program;
    TempFolder game;
    ReportWindow window;
    RecordingOwner owner;
    InstallSettings settings;
    // As on a volume with 8.3 names turned off: every path stays long.
    bool noShortNames = false;
    std::function<bool(std::unique_ptr<WorkerThread>&)> startWatcher = [](std::unique_ptr<WorkerThread>& t) {
        return WorkerThread::Start(t);
    };

    explicit JobFixture(const std::string& suffix = "") : program(suffix), game(suffix) {
        owner.m_window = window.Handle();
        settings.m_programDir = program.Path();
        settings.m_gameFolder = game.Path();
        settings.m_editionCode = "KS2";
        settings.m_destinationPff = "gui.pff";
        settings.m_sourcePffs = {"newgui.pff"};
    }
    void MakeAllFiles() {
        game.WriteFile("pack.exe", ReadWholeFile(PackToolFromBuild()));
        game.WriteFile("gui.pff", "destination");
        program.WriteFile("newgui.pff", "source");
    }
    // The job as an installation runs it, with the tick count fixed.
    PackJob::Inputs Inputs(DWORD tick) {
        PackJob::Inputs inputs;
        inputs.editionCode = settings.m_editionCode;
        inputs.destinationPff = settings.m_destinationPff;
        inputs.gameFolder = settings.m_gameFolder;
        inputs.programDir = settings.m_programDir;
        inputs.sourcePffs = &settings.m_sourcePffs;
        inputs.fileExists = [this](const std::string& path) {
            return FileCopier::FileThere(settings, owner, path);
        };
        inputs.shortPath = [this](const std::string& path) {
            return noShortNames ? settings.InProgramDir(path) : settings.GetShortPath(path);
        };
        inputs.nameIsSafe = &RelativeName::IsSafe;
        inputs.tickCount = [tick] { return tick; };
        inputs.startWatcher = startWatcher;
        return inputs;
    }
    bool Run(DWORD tick) { return PackJob(Inputs(tick), owner).Run(true); }
    bool InputsAreThere() { return PackJob(Inputs(1), owner).InputsAreThere(); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const RecordingOwner::Notice& notice : owner.m_notices)
            texts.push_back(notice.text);
        return texts;
    }
};

using Texts = std::vector<std::string>;
} // namespace

TEST(PackJob, EditionCheckComesFirstAndAloneThenTheArchiveNamesAreChecked) {
    JobFixture f;
    f.settings.m_editionCode.clear();
    f.settings.m_destinationPff.clear();
    f.settings.m_sourcePffs.clear();
    EXPECT_FALSE(f.Run(1));
    ASSERT_EQ(f.Texts(), Texts{"Choose a Kestrel Squad version"});
    EXPECT_TRUE(f.owner.m_notices[0].plain);
    EXPECT_FALSE(f.owner.m_notices[0].posted);

    f.settings.m_editionCode = "KS2";
    struct Case {
        bool source, destination;
        const char* text;
    };
    for (const Case& c : {Case{false, false, "Source and destination files unspecified.  Can't pack."},
                          Case{false, true, "Source file unspecified.  Can't pack."},
                          Case{true, false, "Destination file unspecified.  Can't pack."}}) {
        f.owner.m_notices.clear();
        f.settings.m_sourcePffs = c.source ? std::vector<std::string>{"a.pff"} : std::vector<std::string>{};
        f.settings.m_destinationPff = c.destination ? "gui.pff" : "";
        EXPECT_FALSE(f.Run(1));
        ASSERT_EQ(f.Texts(), Texts{c.text});
        EXPECT_TRUE(f.owner.m_notices[0].posted);
        EXPECT_FALSE(f.owner.m_notices[0].plain);
    }
}

TEST(PackJob, NamesThatWouldLeaveTheirFolderAreRefusedBeforeAnythingIsJoined) {
    JobFixture f;
    f.MakeAllFiles();
    f.settings.m_destinationPff = "..\\gui.pff";
    EXPECT_FALSE(f.Run(1));
    ASSERT_EQ(f.owner.m_notices.size(), 1u);
    EXPECT_EQ(f.owner.m_notices[0].text,
              "The destination_pff value ..\\gui.pff in install.ini is not allowed: it must "
              "name a file inside its folder. Can't pack.");

    f.owner.m_notices.clear();
    f.settings.m_destinationPff = "gui.pff";
    f.settings.m_sourcePffs = {"C:newgui.pff"};
    EXPECT_FALSE(f.Run(1));
    ASSERT_EQ(f.owner.m_notices.size(), 1u);
    EXPECT_NE(f.owner.m_notices[0].text.find("source_pff value C:newgui.pff"), std::string::npos);
    EXPECT_EQ(f.settings.m_sourcePffs, Texts{"C:newgui.pff"});
    EXPECT_TRUE(f.owner.m_runs.empty());
}

TEST(PackJob, EveryMissingFileIsReportedInOrderAndSourcesAreMadeFullOnlyOnce) {
    JobFixture f;
    f.settings.m_sourcePffs = {"newgui.pff", "data\\extra.pff"};
    const Texts expected = {"The file does not exist: " + f.game / "pack.exe",
                            "The file does not exist: " + f.program / "newgui.pff",
                            // where the tool will look for it: in the program folder
                            "The file does not exist: " + f.program / "data\\extra.pff",
                            "The file does not exist: " + f.game / "gui.pff"};
    // Checked before an installation changes anything: the same texts, and the names stay.
    EXPECT_FALSE(f.InputsAreThere());
    EXPECT_EQ(f.Texts(), expected);
    EXPECT_EQ(f.settings.m_sourcePffs, (Texts{"newgui.pff", "data\\extra.pff"}));
    for (int run = 0; run < 2; ++run) {
        f.owner.m_notices.clear();
        EXPECT_FALSE(f.Run(1));
        EXPECT_EQ(f.Texts(), expected) << "run " << run;
        EXPECT_EQ(f.settings.m_sourcePffs, (Texts{f.program / "newgui.pff", "data\\extra.pff"}));
    }
    EXPECT_FALSE(PathExists(f.program / "packit_1.bat"));

    // Without a game folder the tool and the destination are looked for in the program folder.
    f.owner.m_notices.clear();
    f.settings.m_gameFolder.clear();
    EXPECT_FALSE(f.Run(1));
    EXPECT_EQ(f.owner.m_notices.front().text, "The file does not exist: " + f.program / "pack.exe");
    EXPECT_EQ(f.owner.m_notices.back().text, "The file does not exist: " + f.program / "gui.pff");
}

TEST(PackJob, LaunchedRunWritesOneFreshCrLfLineRunsTheToolAndReportsByToken) {
    JobFixture f;
    f.MakeAllFiles();
    // A file left under the batch name is replaced, never run or appended to.
    f.program.WriteFile("packit_-4096.bat", "echo left behind\r\n");
    ASSERT_TRUE(f.Run(0xFFFFF000)) << (f.owner.m_notices.empty() ? "" : f.owner.m_notices[0].text);
    EXPECT_TRUE(f.owner.m_notices.empty());

    const std::string batch = f.program / "packit_-4096.bat";
    const std::string source = ShortPath(f.program / "newgui.pff");
    const std::string log = ShortPath(f.game.Path()) + "\\log_-4096.txt";
    EXPECT_EQ(ReadWholeFile(batch), ShortPath(f.game / "pack.exe") + " " + ShortPath(f.game / "gui.pff") +
                                        " " + source + " /m > " + log + "\r\n");
    EXPECT_EQ(f.owner.m_filesToDelete, Texts{batch});
    ASSERT_EQ(f.owner.m_runs.size(), 1u);
    EXPECT_EQ(f.owner.m_runs[0]->LogPath(), log);
    EXPECT_EQ(f.owner.m_runs[0]->SourceCount(), 1);

    ASSERT_TRUE(f.window.WaitFor(kMsgPackDone, 10000));
    ASSERT_EQ(f.window.m_reports.size(), 2u);
    EXPECT_EQ(f.window.m_reports[0].message, kMsgPackBegins);
    EXPECT_EQ(f.window.m_reports[1].wParam, f.owner.m_runs[0]->Token());
    EXPECT_EQ(f.window.m_reports[1].lParam, MAKELPARAM(1, 1));
    EXPECT_EQ(ReadWholeFile(f.game / "pack-args.txt"),
              ShortPath(f.game / "gui.pff") + "\r\n" + source + "\r\n/m\r\n");
    EXPECT_EQ(ReadWholeFile(log), source + ": OK\r\n");
    EXPECT_TRUE(f.owner.m_runs[0]->ProcessWatched());

    // A tool that runs but whose watcher cannot be started: it is told the run failed, as one
    // nobody watched, so the window does not offer it again.
    f.startWatcher = [](std::unique_ptr<WorkerThread>&) { return false; };
    f.window.m_reports.clear();
    ASSERT_TRUE(f.Run(10));
    ASSERT_EQ(f.owner.m_runs.size(), 2u);
    EXPECT_FALSE(f.owner.m_runs[1]->ProcessWatched());
    ASSERT_TRUE(f.window.WaitFor(kMsgPackDone, 10000));
    EXPECT_EQ(f.window.m_reports.back().wParam, f.owner.m_runs[1]->Token());
    EXPECT_EQ(f.window.m_reports.back().lParam, MAKELPARAM(0, 1));

    // Long non-ASCII paths: the interpreter reads the batch in the console's code page (437 under
    // ./run), the tool its arguments in the system's (1252); both carry these at different bytes.
    JobFixture w(" vid\xC3\xA9o \xC3\x9C"
                 "ber");
    w.MakeAllFiles();
    w.noShortNames = true;
    ASSERT_TRUE(w.Run(12));
    ASSERT_TRUE(w.window.WaitFor(kMsgPackDone, 10000));
    EXPECT_EQ(w.window.m_reports.back().lParam, MAKELPARAM(1, 1));
    std::string args = ReadWholeFile(w.game / "pack-args.txt");
    EXPECT_EQ(Utf8FromCodePage(CP_ACP, args.data(), args.size()),
              w.game / "gui.pff\r\n" + w.program / "newgui.pff\r\n/m\r\n");
}

TEST(PackJob, BatchFileThatCannotBeMadeIsReportedAndNothingIsLaunched) {
    JobFixture f;
    f.MakeAllFiles();
    f.settings.m_sourcePffs = {f.program / "newgui.pff"};
    f.settings.m_programDir = f.program / "gone";
    EXPECT_FALSE(f.Run(7));
    ASSERT_EQ(f.owner.m_notices.size(), 1u);
    EXPECT_EQ(f.owner.m_notices[0].text.rfind(
                  "The pack batch file " + f.program / "gone\\packit_7.bat" + " cannot be created", 0),
              0u)
        << f.owner.m_notices[0].text;

    // A folder under the batch name cannot be replaced by a file.
    f.owner.m_notices.clear();
    f.settings.m_programDir = f.program.Path();
    f.program.MakeFolder("packit_8.bat\\inner");
    EXPECT_FALSE(f.Run(8));
    ASSERT_EQ(f.owner.m_notices.size(), 1u);
    EXPECT_NE(f.owner.m_notices[0].text.find(f.program / "packit_8.bat"), std::string::npos);
    EXPECT_TRUE(f.owner.m_runs.empty());
    EXPECT_TRUE(f.owner.m_filesToDelete.empty());
    EXPECT_FALSE(PathExists(f.game / "pack-args.txt"));

    // A game folder in Chinese, Cyrillic and Polish without a short name: the system code page
    // cannot carry it, and a '?' put in would name some other file. Nothing is written or run.
    f.owner.m_notices.clear();
    TempFolder unreadable("\xE6\xB8\xB8\xE6\x88\x8F \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xC5\x81\xC3\xB3"
                          "d\xC5\xBA");
    unreadable.WriteFile("pack.exe", ReadWholeFile(PackToolFromBuild()));
    unreadable.WriteFile("gui.pff", "destination");
    f.settings.m_gameFolder = unreadable.Path();
    f.noShortNames = true;
    EXPECT_FALSE(f.Run(11));
    EXPECT_EQ(f.Texts(),
              Texts{FormatText(BatchLine::kUnreadablePathText, (unreadable / "pack.exe").c_str())});
    EXPECT_TRUE(f.owner.m_runs.empty());
    EXPECT_FALSE(PathExists(f.program / "packit_11.bat"));
    EXPECT_FALSE(PathExists(unreadable / "pack-args.txt"));

    // An en dash: the system code page has it, the console's (437) has not.
    JobFixture d(" \xE2\x80\x93 Nuit");
    d.MakeAllFiles();
    d.noShortNames = true;
    EXPECT_FALSE(d.Run(13));
    EXPECT_EQ(d.Texts(), Texts{FormatText(BatchLine::kUnreadablePathText, (d.game / "pack.exe").c_str())});
    EXPECT_FALSE(PathExists(d.program / "packit_13.bat"));
}
