// Scripted runs of the real exe: exit code, game folder and log for each code, and never a window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

#include "AddonLayout.h"
#include "Driver.h"
#include "install/GameFolderLock.h"

namespace {
constexpr DWORD kRunTimeoutMs = 60000;
const char* const kLicence = "Demo licence: free for private use. Do you accept?";

// An add-on that replaces a game file and the archive and adds a file, for a game in a folder
// with blanks, registered for KS2.
struct Game {
    AddonLayout layout;
    std::string folder;
    GameFolderLock elsewhere; // as another installer would hold it
    UniqueFileHandle toolLog; // as the batch of a tool that outlived its installer holds it

    Game() {
        folder = layout.Game().MakeFolder("Kestrel Squad 2");
        layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                        "copy_file_1=data\\gui.txt\r\ncopy_file_2=readme.txt\r\n");
        layout.Program().WriteFile("newgui.pff", "source");
        layout.Program().WriteFile("data\\gui.txt", "add-on gui");
        layout.Program().WriteFile("readme.txt", "add-on readme");
        Write("data\\gui.txt", "original gui");
        Write("resource.pff", "original archive\r\n");
        CopyFileA(WindowsPath(KS_PACK_EXE).c_str(), (folder + "\\pack.exe").c_str(), FALSE);
        SetMode("ok");
        layout.RegisterGame("KS2", folder);
    }
    void Write(const std::string& name, const std::string& content) const {
        layout.Game().WriteFile("Kestrel Squad 2\\" + name, content);
    }
    std::string Read(const std::string& name) const { return ReadWholeFile(folder + "\\" + name); }
    void SetMode(const std::string& mode) const { Write("pack-mode.txt", mode + "\r\n"); }
    void AddKeys(const std::string& keys) {
        std::string ini = ReadWholeFile(layout.Program() / "install.ini");
        layout.Program().WriteFile("install.ini", ini + keys);
    }
};

// What one run left behind.
struct Outcome {
    DWORD code = 999;
    std::vector<std::string> log; // without the time in front
    std::string printed;
    std::vector<std::string> windows; // any window the installer's process showed or made
};

bool IsInstaller(DWORD processId, const std::string& exe) {
    UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH];
    DWORD length = MAX_PATH;
    return process && QueryFullProcessImageNameA(process.get(), 0, path, &length) &&
           lstrcmpiA(path, exe.c_str()) == 0;
}

struct WindowSearch {
    const std::string* exe;
    std::set<DWORD> installers;
    std::set<DWORD> others;
    std::vector<std::string>* found;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (search->others.count(processId))
        return TRUE;
    if (!search->installers.count(processId)) {
        if (!IsInstaller(processId, *search->exe)) {
            search->others.insert(processId);
            return TRUE;
        }
        search->installers.insert(processId);
    }
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    search->found->push_back(std::string(className) + " \"" + Driver::Text(window) + "\"" +
                             (IsWindowVisible(window) ? " visible" : " hidden"));
    return TRUE;
}

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    std::string text = ReadWholeFile(path);
    for (std::string::size_type start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        std::string line = text.substr(start, end - start);
        // "2024-05-01 12:34:56 " in front of each line.
        bool stamped = line.size() >= 20 && line[4] == '-' && line[7] == '-' && line[10] == ' ' &&
                       line[13] == ':' && line[16] == ':' && line[19] == ' ';
        lines.push_back(stamped ? line.substr(20) : "<no time> " + line);
    }
    return lines;
}

// Runs the installer with these arguments, through `cmd /c start /wait` when asked, and looks for
// its windows all the while; "{game}", "{log}" and "{dir}" (the add-on folder) in the arguments are
// filled in. Arguments that start with a quote are the whole command line, program included.
Outcome RunSilent(const Game& game, std::string arguments, bool throughCmd = false) {
    const std::string logPath = game.layout.Program() / "install log.txt";
    for (const auto& [mark, value] : {std::make_pair("{game}", game.folder), std::make_pair("{log}", logPath),
                                      std::make_pair("{dir}", game.layout.ProgramDir())}) {
        for (std::string::size_type at; (at = arguments.find(mark)) != std::string::npos;)
            arguments.replace(at, std::string(mark).size(), value);
    }
    Outcome outcome;
    const std::string printedPath = game.layout.Program() / "printed.txt";
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        UniqueFileHandle printed(CreateFileA(printedPath.c_str(), GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0,
                                             nullptr));
        Driver driver;
        const std::string& exe = game.layout.Exe();
        char system[MAX_PATH];
        GetSystemDirectoryA(system, MAX_PATH);
        std::string cmd = std::string(system) + "\\cmd.exe";
        bool started =
            throughCmd ? driver.StartAs(cmd, "cmd /c start \"\" /wait \"" + exe + "\" " + arguments,
                                        game.layout.ProgramDir(), printed.get())
            : arguments[0] == '"' ? driver.StartAs(exe, arguments, game.layout.ProgramDir(), printed.get())
                                  : driver.Start(exe, game.layout.ProgramDir(), arguments, printed.get());
        EXPECT_TRUE(started) << arguments;
        if (!started)
            return outcome;
        WindowSearch search{&exe, {}, {}, &outcome.windows};
        for (DWORD start = GetTickCount();;) {
            EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&search));
            if (!outcome.windows.empty()) {
                // A box would wait for ever for someone to answer it.
                ADD_FAILURE() << "a window of the installer: " << outcome.windows[0];
                break;
            }
            if (driver.WaitForExit(5))
                break;
            if (GetTickCount() - start > kRunTimeoutMs) {
                ADD_FAILURE() << "the run did not end: " << arguments;
                break;
            }
        }
        if (driver.HasExited())
            GetExitCodeProcess(driver.Process(), &outcome.code);
    }
    outcome.log = LogLines(logPath);
    outcome.printed = ReadWholeFile(printedPath);
    DeleteFileA(logPath.c_str());
    return outcome;
}

using Lines = std::vector<std::string>;

// Each expected line is the whole line, or its start when it ends with '*'.
void ExpectLines(const Lines& actual, const Lines& expected) {
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < expected.size(); ++i) {
        const std::string& want = expected[i];
        same = !want.empty() && want.back() == '*' ? actual[i].rfind(want.substr(0, want.size() - 1), 0) == 0
                                                   : actual[i] == want;
    }
    EXPECT_TRUE(same) << "log:\n  " << testing::PrintToString(actual) << "\nexpected:\n  "
                      << testing::PrintToString(expected);
}

const Lines kInstalled = {"Copying data\\gui.txt (1 of 2)",
                          "Keeping the original data\\gui.txt",
                          "Copying readme.txt (2 of 2)",
                          "Keeping the original resource.pff",
                          "Packing resource.pff...",
                          "Installed.",
                          "Install done."};

Lines Join(Lines first, const Lines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct Row {
    const char* name;
    std::function<void(Game&)> prepare;
    const char* arguments;
    bool throughCmd;
    DWORD code;
    std::function<Lines(const Game&)> log;
    std::function<void(const Game&, const Outcome&)> check;
};

void Unchanged(const Game& game, const Outcome&) {
    EXPECT_EQ(game.Read("data\\gui.txt"), "original gui");
    EXPECT_FALSE(PathExists(game.folder + "\\readme.txt"));
    EXPECT_FALSE(PathExists(game.folder + "\\KSInstaller Backup"));
    EXPECT_FALSE(PathExists(game.folder + "\\pack-args.txt"));
}

void Installed(const Game& game, const Outcome&) {
    EXPECT_EQ(game.Read("data\\gui.txt"), "add-on gui");
    EXPECT_EQ(game.Read("readme.txt"), "add-on readme");
    EXPECT_NE(game.Read("resource.pff").find("packed"), std::string::npos);
    EXPECT_EQ(game.Read("KSInstaller Backup\\data\\gui.txt"), "original gui");
    // The batch file is gone once the run is over.
    for (const auto& [name, content] : GameFiles(game.layout.ProgramDir()))
        EXPECT_NE(name.rfind("packit_", 0), 0u) << name;
}

std::function<Lines(const Game&)> Log(Lines lines) {
    return [lines](const Game&) { return lines; };
}

std::function<Lines(const Game&)> NothingToInstall(const std::string& why) {
    return [why](const Game& g) {
        return Lines{"There is nothing to install: " + g.layout.Program() / "install.ini " + why};
    };
}

void PrintsUsage(const Game&, const Outcome& outcome) {
    EXPECT_NE(outcome.printed.find("Usage:\r\n  KSInstaller.exe /S [/ACCEPT] [/LOG=file] [/D=game folder]"),
              std::string::npos)
        << outcome.printed;
}

const Row kRows[] = {
    // The game folder has blanks and no quotes around it; the licence is accepted on request.
    {"InstalledWithLicenceAccepted",
     [](Game& g) { g.AddKeys(std::string("eula_text=") + kLicence + "\r\n"); },
     "/S /ACCEPT /LOG=\"{log}\" /D={game}", false, 0,
     Log(Join({kLicence, "The licence was accepted with /ACCEPT."}, kInstalled)),
     [](const Game& game, const Outcome& outcome) {
         Installed(game, outcome);
         // The same lines went to the output the run was given.
         EXPECT_NE(outcome.printed.find(" Install done.\r\n"), std::string::npos) << outcome.printed;
     }},
    // The pack tool takes its time; the run waits for it, and so does `start /wait`.
    {"InstalledIntoTheRegisteredFolderThroughStartWait", [](Game& g) { g.SetMode("slow 2"); },
     "/s /log=\"{log}\"", true, 0, Log(kInstalled), Installed},
    // The program's folder is its file's, however the command line spells it.
    {"StartedWithMixedSeparators", [](Game&) {}, "\"{dir}/KSInstaller.exe\" /S /LOG=\"{log}\" /D={game}",
     false, 0, Log(kInstalled), Installed},
    // A usage error goes to the console alone: a log named twice, or not at all, is not written.
    {"UnknownSwitch", [](Game&) {}, "/LOG=\"{log}\" /S /SILENT", false, 1, Log({}),
     [](const Game& game, const Outcome& outcome) {
         Unchanged(game, outcome);
         PrintsUsage(game, outcome);
     }},
    {"LogGivenTwice", [](Game&) {}, "/S /LOG=\"{log}\" /LOG=\"{log}.2\" /D={game}", false, 1, Log({}),
     [](const Game& game, const Outcome& outcome) {
         Unchanged(game, outcome);
         EXPECT_FALSE(PathExists(game.layout.Program() / "install log.txt.2"));
         EXPECT_EQ(outcome.printed.rfind("The switch /LOG= is given twice.\r\n", 0), 0u) << outcome.printed;
     }},
    // Not the current drive's root: nothing is written anywhere.
    {"GameFolderOfSeparatorsAlone", [](Game&) {}, "/S /LOG=\"{log}\" /D=\\\\", false, 1, Log({}),
     [](const Game& game, const Outcome& outcome) {
         Unchanged(game, outcome);
         EXPECT_FALSE(PathExists(game.layout.ProgramDir().substr(0, 3) + "KSInstaller Backup"));
     }},
    {"UsageAsked", [](Game&) {}, "/S /?", false, 1, Log({}), PrintsUsage},
    {"GameFolderDoesNotExist", [](Game&) {}, "/S /LOG=\"{log}\" /D={game}\\Gone", false, 2,
     Log({"Choose an existing game folder before installing."}), Unchanged},
    {"GameFolderIsAFile", [](Game&) {}, "/S /LOG=\"{log}\" /D={game}\\resource.pff", false, 2,
     Log({"Choose an existing game folder before installing."}), Unchanged},
    {"NoGameFolderFound", [](Game& g) { g.layout.RegisterGame("KS2", g.folder + "\\Gone"); },
     "/S /LOG=\"{log}\"", true, 2, Log({"Choose an existing game folder before installing."}), Unchanged},
    {"FileMissing", [](Game& g) { g.AddKeys("copy_file_3=gone-\xC3\xA9.txt\r\n"); },
     "/S /LOG=\"{log}\" /D={game}", false, 3,
     [](const Game& g) {
         return Lines{"Copying data\\gui.txt (1 of 3)",
                      "Keeping the original data\\gui.txt",
                      "Copying readme.txt (2 of 3)",
                      "Copying gone-\xC3\xA9.txt (3 of 3)",
                      "The file does not exist: " + g.layout.Program() / "gone-\xC3\xA9.txt",
                      "Keeping the original resource.pff",
                      "Packing resource.pff...",
                      "Installed, but 1 of 3 listed files could not be copied.",
                      "Install done."};
     },
     [](const Game& game, const Outcome& outcome) {
         Installed(game, outcome);
         // The log is UTF-8; redirected output with no console is OEM: é is 0x82 in 437 and 850.
         EXPECT_NE(outcome.printed.find("\\gone-\x82.txt\r\n"), std::string::npos) << outcome.printed;
     }},
    {"ToolFails", [](Game& g) { g.SetMode("fail"); }, "/S /LOG=\"{log}\" /D={game}", true, 4,
     Log({"Copying data\\gui.txt (1 of 2)", "Keeping the original data\\gui.txt",
          "Copying readme.txt (2 of 2)", "Keeping the original resource.pff", "Packing resource.pff...",
          "Packing failed.", "Packing failed: 0 of 1 archives reported OK. See the log *"}),
     [](const Game& game, const Outcome&) { EXPECT_EQ(game.Read("data\\gui.txt"), "add-on gui"); }},
    // Known before the game changes: nothing is copied or kept.
    {"PackToolMissing", [](Game& g) { DeleteFileA((g.folder + "\\pack.exe").c_str()); },
     "/S /LOG=\"{log}\" /D={game}", false, 4,
     [](const Game& g) { return Lines{"The file does not exist: " + g.folder + "\\pack.exe"}; }, Unchanged},
    // Nothing to pack is no failure; half of the archive names is.
    {"NothingToPack",
     [](Game& g) {
         g.layout.WriteIni("ks_version=KS2\r\ncopy_file_1=data\\gui.txt\r\ncopy_file_2=readme.txt\r\n");
     },
     "/S /LOG=\"{log}\" /D={game}", false, 0,
     Log({"Copying data\\gui.txt (1 of 2)", "Keeping the original data\\gui.txt",
          "Copying readme.txt (2 of 2)", "Source and destination files unspecified.  Can't pack."}),
     [](const Game& game, const Outcome&) { EXPECT_EQ(game.Read("data\\gui.txt"), "add-on gui"); }},
    {"DestinationArchiveNotNamed",
     [](Game& g) { g.layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\n"); },
     "/S /LOG=\"{log}\" /D={game}", false, 4, Log({"Destination file unspecified.  Can't pack."}),
     [](const Game& game, const Outcome&) { EXPECT_EQ(game.Read("resource.pff"), "original archive\r\n"); }},
    {"GarbageInstallIni",
     [](Game& g) {
         g.layout.Program().WriteFile("install.ini", std::string("\xff\xfe[installer\r\n=\0\x01", 16));
     },
     "/S /LOG=\"{log}\" /D={game}", false, 8, NothingToInstall("names no file to copy and nothing to pack."),
     Unchanged},
    {"InstallIniMissing", [](Game& g) { DeleteFileA((g.layout.Program() / "install.ini").c_str()); },
     "/S /LOG=\"{log}\"", false, 8, NothingToInstall("does not exist."), Unchanged},
    // Not UTF-8 after its mark: read as the profile functions read it, and the log stays UTF-8.
    {"CodePageBytesAfterAUtf8Mark",
     [](Game& g) {
         g.layout.Program().WriteFile(
             "install.ini", "\xEF\xBB\xBF[installer]\r\nks_version=KS2\r\ncopy_file_1=caf\xE9.txt\r\n");
     },
     "/S /LOG=\"{log}\" /D={game}", false, 3,
     [](const Game& g) {
         return Lines{"Copying caf\xEF\xBF\xBD.txt (1 of 1)",
                      "The file does not exist: " + g.layout.Program() / "caf\xEF\xBF\xBD.txt",
                      "Source and destination files unspecified.  Can't pack.",
                      "Installed, but 1 of 1 listed file could not be copied."};
     },
     Unchanged},
    {"LicenceNotAccepted", [](Game& g) { g.AddKeys(std::string("eula_text=") + kLicence + "\r\n"); },
     "/S /LOG=\"{log}\" /D={game}", false, 5,
     Log({kLicence, "The licence was not accepted: nothing was installed. /ACCEPT accepts it."}), Unchanged},
    {"FolderBusyWithAnotherInstallation", [](Game& g) { g.elsewhere.TryAcquire(g.folder.c_str()); },
     "/S /LOG=\"{log}\" /D={game}", false, 6,
     [](const Game& g) {
         return Lines{"Another installation or restore is working on " + g.folder +
                      ". Wait until it has finished, then try again."};
     },
     Unchanged},
    {"RestoreWhileTheFolderIsBusy", [](Game& g) { g.elsewhere.TryAcquire(g.folder.c_str()); },
     "/S /RESTORE /LOG=\"{log}\" /D={game}", true, 6,
     [](const Game& g) {
         return Lines{"Another installation or restore is working on " + g.folder +
                      ". Wait until it has finished, then try again."};
     },
     Unchanged},
    {"RestoreWhileAToolThatOutlivedItsInstallerStillPacks",
     [](Game& g) {
         g.toolLog.reset(CreateFileA((g.folder + "\\log_-7.txt").c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr));
     },
     "/S /RESTORE /LOG=\"{log}\" /D={game}", false, 6,
     [](const Game& g) {
         return Lines{"Another installation or restore is working on " + g.folder +
                      ". Wait until it has finished, then try again."};
     },
     Unchanged},
    // Something else in the lock's place: the folder cannot be worked on, and no one is blamed.
    {"LockCannotBeMade",
     [](Game& g) { CreateDirectoryA((g.folder + "\\KSInstaller.lock").c_str(), nullptr); },
     "/S /LOG=\"{log}\" /D={game}", false, 2,
     [](const Game& g) {
         return Lines{"The game folder " + g.folder +
                      " cannot be locked: its lock file KSInstaller.lock cannot be created there (error *"};
     },
     Unchanged},
    // A line it cannot read stays, with what it may name: the restore is not complete.
    {"RestoreLeavesALineItCannotRead",
     [](Game& g) {
         g.Write("KSInstaller Backup\\KSInstaller Backup.txt", "added new.txt\r\nmoved data\\old.txt\r\n");
         g.Write("new.txt", "added by an add-on");
     },
     "/S /RESTORE /LOG=\"{log}\" /D={game}", false, 7,
     [](const Game& g) {
         std::string list = g.folder + "\\KSInstaller Backup\\KSInstaller Backup.txt";
         return Lines{"1 line of the backup list " + list + " cannot be read: \"moved data\\old.txt\"*",
                      "Restore the original game files in " + g.folder +
                          "? 0 kept files are put back and 1 added file is removed.",
                      "Putting back the original game files...",
                      "The files the backup list names are back. The lines it cannot read stay in " + list +
                          ", with the files they may name."};
     },
     [](const Game& game, const Outcome&) {
         EXPECT_FALSE(PathExists(game.folder + "\\new.txt"));
         EXPECT_EQ(game.Read("KSInstaller Backup\\KSInstaller Backup.txt"), "moved data\\old.txt\r\n");
     }},
    {"NothingKeptToRestore", [](Game&) {}, "/S /RESTORE /LOG=\"{log}\" /D={game}", false, 0,
     [](const Game& g) { return Lines{"No original game files are kept in " + g.folder + "."}; }, Unchanged},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class Silent : public testing::TestWithParam<Row> {};

TEST_P(Silent, EndsWithItsCodeAndItsLogAndNeverShowsAWindow) {
    const Row& row = GetParam();
    Game game;
    row.prepare(game);
    Outcome outcome = RunSilent(game, row.arguments, row.throughCmd);
    EXPECT_EQ(outcome.code, row.code);
    ExpectLines(outcome.log, row.log(game));
    row.check(game, outcome);
}

INSTANTIATE_TEST_SUITE_P(Rows, Silent, testing::ValuesIn(kRows), [](const testing::TestParamInfo<Row>& info) {
    return std::string(info.param.name);
});

TEST(Silent, InstallThenRestoreGivesTheGameBackByteForByteAndAHeldFileLeavesItIncomplete) {
    Game game;
    std::map<std::string, std::string> before = GameFiles(game.folder);
    ASSERT_EQ(RunSilent(game, "/S /D={game}").code, 0u);
    {
        // As the running game would hold it.
        UniqueFileHandle held(CreateFileA((game.folder + "\\data\\gui.txt").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        Outcome outcome = RunSilent(game, "/S /RESTORE /LOG=\"{log}\" /D={game}");
        EXPECT_EQ(outcome.code, 7u);
        ExpectLines(outcome.log, {"Restore the original game files in " + game.folder +
                                      "? 2 kept files are put back and 1 added file is removed.",
                                  "Putting back the original game files...",
                                  "1 of 3 files could not be restored; the first was " + game.folder +
                                      "\\data\\gui.txt (error *"});
    }
    EXPECT_EQ(game.Read("KSInstaller Backup\\data\\gui.txt"), "original gui");
    Outcome outcome = RunSilent(game, "/S /RESTORE /LOG=\"{log}\"", true);
    EXPECT_EQ(outcome.code, 0u);
    ExpectLines(outcome.log,
                {"Restore the original game files in " + game.folder +
                     "? 1 kept file is put back and 0 added files are removed.",
                 "Putting back the original game files...", "The original game files are back."});
    EXPECT_EQ(GameFiles(game.folder), before);
}

TEST(Silent, LinesGoToTheConsoleOfTheCommandThatStartedIt) {
    Game game;
    // A console of our own, as a command prompt has, for cmd and the installer it starts.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    UniqueFileHandle console(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                         nullptr));
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(console && GetConsoleScreenBufferInfo(console.get(), &info));
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    Driver driver;
    ASSERT_TRUE(driver.StartAs(std::string(system) + "\\cmd.exe",
                               "cmd /c start \"\" /wait \"" + game.layout.Exe() + "\" /S /D=" + game.folder,
                               game.layout.ProgramDir()));
    ASSERT_TRUE(driver.WaitForExit(kRunTimeoutMs));
    // Lines that wrap go on in the next row: the rows read one after another hold them whole.
    std::string screen(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y, ' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterA(console.get(), &screen[0], static_cast<DWORD>(screen.size()), COORD{0, 0},
                                &read);
    screen.resize(std::min<size_t>(read, screen.find_last_not_of(' ') + 1));
    EXPECT_NE(screen.find(" Copying data\\gui.txt (1 of 2)  "), std::string::npos) << screen;
    EXPECT_NE(screen.find(" Install done."), std::string::npos) << screen;

    // Redirected, the lines follow that console's output code page (850: é 0x82, ø 0x9B), not 437.
    ASSERT_TRUE(SetConsoleOutputCP(850));
    game.AddKeys("copy_file_3=gone-\xC3\xA9\xC3\xB8.txt\r\n");
    Outcome outcome = RunSilent(game, "/S /D={game}");
    console.reset();
    FreeConsole();
    EXPECT_NE(outcome.printed.find("\\gone-\x82\x9B.txt\r\n"), std::string::npos) << outcome.printed;
}
} // namespace
