// Bad input of every kind: each row runs the real window and must end with a clear message or none,
// no crash, no hang, nothing written outside the game folder and no registry change.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "framework/Utf8.h"
#include "InstallerRun.h"

using namespace controls;

namespace {
struct Row {
    const char* name;
    std::function<void(AddonLayout&)> prepare;
    std::function<void(InstallerRun&, AddonLayout&)> act;
    std::string licence = ""; // the licence question asked before the window opens, if any
};

// Every file below a folder with its size: what a run may not change.
std::map<std::string, DWORD> Tree(const std::string& folder) {
    std::map<std::string, DWORD> tree;
    WalkTree(folder, [&](const std::string& name, const WIN32_FIND_DATAW& found) {
        tree[name] = found.nFileSizeLow;
    });
    return tree;
}

// What a stray write to the registry would change: key counts where the installer looks.
std::string RegistryShape() {
    std::string shape;
    const std::pair<HKEY, const char*> keys[] = {
        {HKEY_LOCAL_MACHINE, "Software"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths"},
        {HKEY_CURRENT_USER, "Software"},
    };
    for (const auto& [root, path] : keys) {
        HKEY key;
        DWORD subkeys = 0, values = 0;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr);
            RegCloseKey(key);
        }
        shape += std::to_string(subkeys) + "/" + std::to_string(values) + " ";
    }
    return shape;
}

void SetRegistryPath(DWORD type, const void* data, DWORD size) {
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ks2.exe", 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "Path", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

// A game registered for KS2 in the layout's game folder, with the given install.ini keys and
// whatever else the row lays out before the run.
std::function<void(AddonLayout&)> Game(
    const std::string& keys, std::function<void(AddonLayout&)> more = [](AddonLayout&) {}) {
    return [keys, more](AddonLayout& layout) {
        layout.WriteIni("ks_version=KS2\r\n" + keys);
        layout.RegisterGame("KS2", layout.GameDir());
        more(layout);
    };
}

// A registry "Path" value of an odd kind for KS2; the installer must fall back or refuse calmly.
std::function<void(AddonLayout&)> RegistryPath(DWORD type, std::string data) {
    return [type, data](AddonLayout& layout) {
        layout.WriteIni("ks_version=KS2\r\n");
        layout.RegisterGame("KS2", "placeholder"); // so the layout removes the key again
        SetRegistryPath(type, data.data(), DWORD(data.size()));
    };
}

void NoBoxes(InstallerRun& run) {
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 200));
}

void Install(InstallerRun& run) {
    EXPECT_TRUE(Driver::Settle(run.window));
    ASSERT_TRUE(run.Enabled(kInstall)) << "folder box: " << run.Folder();
    Driver::Click(run.window, kInstall);
    EXPECT_TRUE(Driver::Settle(run.window));
}

// An installation without archives ends in the pack job's own refusal.
void Refused(InstallerRun& run) {
    Answer(run.driver, "KSInstaller", "Source and destination files unspecified.  Can't pack.");
}

// A game ready to pack: archives configured and the stand-in pack tool in the given mode; an empty
// mode leaves the tool out.
std::function<void(AddonLayout&)> PackGame(const std::string& mode) {
    return [mode](AddonLayout& layout) {
        layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n");
        layout.Program().WriteFile("newgui.pff", "source");
        layout.Game().WriteFile("resource.pff", "destination");
        if (!mode.empty()) {
            CopyFileA(WindowsPath(KS_PACK_EXE).c_str(), (layout.Game() / "pack.exe").c_str(), FALSE);
            layout.Game().WriteFile("pack-mode.txt", mode + "\r\n");
        }
        layout.RegisterGame("KS2", layout.GameDir());
    };
}

// Waits for the outcome box of a pack run and closes it; returns its text.
std::string PackOutcome(InstallerRun& run) {
    HWND box = run.driver.WaitForDialog("KSInstaller", 20000);
    if (!box)
        return "<no box>";
    std::string text = Driver::BoxText(box);
    EXPECT_TRUE(Driver::Dismiss(box, IDOK));
    return text;
}

// The short name the file system gave one part of a path below the folder.
std::string ShortNameBelow(const TempFolder& folder, const std::string& name) {
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((folder / name).c_str(), &found));
    return found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

// Presses install and waits until the window shows that packing runs.
void StartPacking(InstallerRun& run) {
    Install(run);
    for (DWORD start = GetTickCount(); run.Enabled(kInstall) && GetTickCount() - start < Driver::kTimeoutMs;)
        Sleep(20);
    EXPECT_FALSE(run.Enabled(kInstall));
    EXPECT_TRUE(run.Enabled(kExit));
}

void DefaultWindow(InstallerRun& run, AddonLayout&) {
    EXPECT_EQ(Driver::Text(run.window), "Carrowind Expansion Pak");
    EXPECT_EQ(run.Folder(), "");
    EXPECT_FALSE(run.Enabled(kInstall));
    NoBoxes(run);
}

// The edition's default folder does not exist here: the box is emptied and install is off.
void DefaultFolderRefused(InstallerRun& run, AddonLayout&) {
    EXPECT_EQ(run.Folder(), "");
    EXPECT_FALSE(run.Enabled(kInstall));
    NoBoxes(run);
}

std::function<void(InstallerRun&, AddonLayout&)> TitleOfLength(size_t written) {
    return [written](InstallerRun& run, AddonLayout&) {
        std::string title = Driver::Text(run.window);
        EXPECT_EQ(title, std::string(std::min<size_t>(written, 259), 'T'));
        EXPECT_EQ(Driver::ItemText(run.window, kInstall).size(), std::min<size_t>(written, 259));
        NoBoxes(run);
    };
}

std::string Long(char c, size_t n) {
    return std::string(n, c);
}

const Row kRows[] = {
    {"NoInstallIni", [](AddonLayout&) {}, DefaultWindow},
    {"EmptyInstallIni", [](AddonLayout& l) { l.Program().WriteFile("install.ini", ""); }, DefaultWindow},
    {"BinaryGarbage",
     [](AddonLayout& l) {
         std::string junk;
         for (int i = 0; i < 4096; ++i)
             junk += static_cast<char>((i * 7919 + 13) % 256);
         l.Program().WriteFile("install.ini", junk + "\r\n[installer\r\n=\r\n\0\0\xff\xfe");
     },
     DefaultWindow},
    {"Values259",
     [](AddonLayout& l) {
         l.WriteIni("dialog_title=" + Long('T', 259) + "\r\ninstall_button_text=" + Long('T', 259));
     },
     TitleOfLength(259)},
    {"Values260",
     [](AddonLayout& l) {
         l.WriteIni("dialog_title=" + Long('T', 260) + "\r\ninstall_button_text=" + Long('T', 260));
     },
     TitleOfLength(260)},
    {"Values10000",
     [](AddonLayout& l) {
         l.WriteIni("dialog_title=" + Long('T', 10000) + "\r\ninstall_button_text=" + Long('T', 10000));
     },
     TitleOfLength(10000)},
    {"LicenceOf10000Characters", [](AddonLayout& l) { l.WriteIni("eula_text=" + Long('E', 10000)); },
     [](InstallerRun& run, AddonLayout&) { EXPECT_EQ(Driver::Text(run.window), "Carrowind Expansion Pak"); },
     Long('E', 10000)},
    {"CopyFileNameOf10000Characters", Game("copy_file_1=" + Long('c', 10000) + "\r\n"),
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         HWND box = run.driver.WaitForDialog("KSInstaller");
         ASSERT_NE(box, nullptr);
         EXPECT_EQ(Driver::BoxText(box).rfind("The file does not exist: " + layout.ProgramDir() + "\\ccc", 0),
                   0u);
         EXPECT_TRUE(Driver::Dismiss(box, IDOK));
         Refused(run);
     }},
    {"CopyFileNamingAFolder",
     Game("copy_file_1=sub\r\ncopy_file_2=b.txt\r\n",
          [](AddonLayout& l) {
              l.Program().MakeFolder("sub");
              l.Program().WriteFile("b.txt", "b");
          }),
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         Answer(run.driver, "KSInstaller", "The file does not exist: " + layout.Program() / "sub");
         Refused(run); // after every copy
         EXPECT_EQ(ReadWholeFile(layout.Game() / "b.txt"), "b");
     }},
    {"CopyFileMissing", Game("copy_file_1=gone.txt\r\n"),
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         Answer(run.driver, "KSInstaller", "The file does not exist: " + layout.Program() / "gone.txt");
         Refused(run);
     }},
    {"CopyIntoMissingDestinationFolder",
     Game("copy_file_1=data\\gui.txt\r\n",
          [](AddonLayout& l) { l.Program().WriteFile("data\\gui.txt", "g"); }),
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         Answer(run.driver, "KSInstaller",
                "Failed to copy file " + layout.Program() / "data\\gui.txt" + " to " +
                    layout.Game() / "data\\gui.txt");
         Refused(run);
     }},
    {"CopyOverSomethingThatCannotBeReplaced",
     Game("copy_file_1=gui.txt\r\n",
          [](AddonLayout& l) {
              l.Program().WriteFile("gui.txt", "g");
              l.Game().MakeFolder("gui.txt");
          }),
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         Answer(run.driver, "KSInstaller",
                "Failed to copy file " + layout.Program() / "gui.txt" + " to " + layout.Game() / "gui.txt");
         Refused(run);
     }},
    {"CopyIntoReadOnlyGameFolder",
     Game("copy_file_1=gui.txt\r\n",
          [](AddonLayout& l) {
              l.Program().WriteFile("gui.txt", "g");
              SetFileAttributesA(l.GameDir().c_str(), FILE_ATTRIBUTE_READONLY);
          }),
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         // Windows does not honour the attribute on a folder (Wine does not even keep it): the copy
         // goes through.
         Refused(run);
         EXPECT_EQ(ReadWholeFile(layout.Game() / "gui.txt"), "g");
         SetFileAttributesA(layout.GameDir().c_str(), FILE_ATTRIBUTE_NORMAL);
     }},
    {"CopyFileClimbingOut", Game("copy_file_1=..\\..\\escape.txt\r\n"),
     [](InstallerRun& run, AddonLayout&) {
         Install(run);
         HWND box = run.driver.WaitForDialog("KSInstaller");
         ASSERT_NE(box, nullptr);
         EXPECT_NE(Driver::BoxText(box).find("..\\..\\escape.txt"), std::string::npos);
         EXPECT_TRUE(Driver::Dismiss(box, IDOK));
         Refused(run);
     }},
    {"ExitDuringCopying",
     Game("copy_file_1=big.bin\r\n",
          [](AddonLayout& l) { l.Program().WriteFile("big.bin", std::string(48 << 20, 'b')); }),
     [](InstallerRun& run, AddonLayout& layout) {
         // Both presses are queued at once: Exit stops the copy, which leaves no part of the file.
         ASSERT_TRUE(run.Enabled(kInstall));
         Driver::Click(run.window, kInstall);
         Driver::Click(run.window, kExit);
         EXPECT_TRUE(run.driver.WaitForExit(30000));
         std::string copied = layout.Game() / "big.bin";
         EXPECT_TRUE(!PathExists(copied) || ReadWholeFile(copied).size() == (48u << 20));
         EXPECT_FALSE(PathExists(layout.Game() / "KSInstaller Backup\\KSInstaller Work\\copy.new"));
     }},
    // Stored to be expanded: the folder it names once expanded is the game's.
    {"RegistryPathExpandString", RegistryPath(REG_EXPAND_SZ, std::string("%TEMP%\0", 7)),
     [](InstallerRun& run, AddonLayout&) {
         char temp[MAX_PATH];
         DWORD length = ExpandEnvironmentStringsA("%TEMP%", temp, MAX_PATH);
         ASSERT_GT(length, 1u);
         EXPECT_EQ(run.Folder(), std::string(temp, length - 1));
         EXPECT_TRUE(run.Enabled(kInstall));
         NoBoxes(run);
     }},
    {"RegistryPathNumber", RegistryPath(REG_DWORD, std::string("\x2a\0\0\0", 4)), DefaultFolderRefused},
    {"RegistryPathEmpty", RegistryPath(REG_SZ, std::string("\0", 1)), DefaultFolderRefused},
    {"RegistryPathOf10000Characters", RegistryPath(REG_SZ, Long('p', 10000) + '\0'), DefaultFolderRefused},
    {"RegistryPathWithTrailingBackslash",
     [](AddonLayout& layout) {
         layout.WriteIni("ks_version=KS2\r\n");
         layout.RegisterGame("KS2", layout.GameDir() + "\\");
     },
     [](InstallerRun& run, AddonLayout& layout) {
         EXPECT_EQ(run.Folder(), layout.GameDir() + "\\");
         EXPECT_TRUE(run.Enabled(kInstall));
     }},
    // Known before the game changes: the listed file is not copied, nor a backup folder made.
    {"PackToolMissing",
     [](AddonLayout& layout) {
         PackGame("")(layout);
         layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                         "copy_file_1=readme.txt\r\n");
         layout.Program().WriteFile("readme.txt", "add-on readme");
     },
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         Answer(run.driver, "KSInstaller", "The file does not exist: " + layout.Game() / "pack.exe");
         EXPECT_TRUE(Driver::Settle(run.window));
         EXPECT_TRUE(run.Enabled(kInstall));
         EXPECT_EQ(Tree(layout.GameDir()).size(), 1u) << "only resource.pff";
     }},
    {"PackToolFailing", PackGame("fail"),
     [](InstallerRun& run, AddonLayout&) {
         Install(run);
         EXPECT_TRUE(StartsWith(PackOutcome(run), "Packing failed: 0 of 1 archives reported OK."));
     }},
    {"PackToolSilent", PackGame("silent"),
     [](InstallerRun& run, AddonLayout&) {
         Install(run);
         EXPECT_TRUE(StartsWith(PackOutcome(run), "Packing failed: 0 of 1"));
     }},
    {"PackToolExitingAtOnce", PackGame("exit"),
     [](InstallerRun& run, AddonLayout&) {
         Install(run);
         EXPECT_TRUE(StartsWith(PackOutcome(run), "Packing failed: 0 of 1"));
     }},
    {"PackToolWriting100000Lines", PackGame("lines 100000"),
     [](InstallerRun& run, AddonLayout&) {
         Install(run);
         EXPECT_EQ(PackOutcome(run), "Install done.");
     }},
    {"PackToolWritingLinesOf1000Characters", PackGame("width 1000"),
     [](InstallerRun& run, AddonLayout&) {
         Install(run);
         // The OK stands in the line's fourth piece of 255 characters.
         EXPECT_EQ(PackOutcome(run), "Install done.");
     }},
    {"ExitDuringPacking", PackGame("slow 5"),
     [](InstallerRun& run, AddonLayout&) {
         StartPacking(run);
         Driver::Click(run.window, kExit);
         EXPECT_TRUE(run.driver.WaitForExit());
     }},
    {"SystemMenuCloseDuringPacking", PackGame("slow 5"),
     [](InstallerRun& run, AddonLayout&) {
         StartPacking(run);
         PostMessageA(run.window, WM_SYSCOMMAND, SC_CLOSE, 0);
         EXPECT_TRUE(run.driver.WaitForExit());
     }},
    {"ForeignPackMessages", PackGame("ok"),
     [](InstallerRun& run, AddonLayout&) {
         for (UINT message : {1724u, 1725u, 2059u, 2060u, 2061u}) {
             for (LPARAM garbage : {LPARAM(0), LPARAM(1), LPARAM(-1), LPARAM(0x7FFE0000)})
                 run.Send(message, WPARAM(garbage), garbage);
         }
         NoBoxes(run);
         // Nothing foreign locked the window or reported success: a real run still works.
         EXPECT_TRUE(run.Enabled(kChangePath));
         EXPECT_EQ(Driver::ItemText(run.window, kInstall), "Install New GUI");
         Install(run);
         EXPECT_EQ(PackOutcome(run), "Install done.");
     }},
    {"BackupFolderCannotBeCreated",
     [](AddonLayout& l) {
         PackGame("ok")(l);
         l.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                    "copy_file_1=gui.txt\r\n");
         l.Program().WriteFile("gui.txt", "add-on");
         l.Game().WriteFile("gui.txt", "original");
         l.Game().WriteFile("KSInstaller Backup", "a file where the folder should be");
     },
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         HWND box = run.driver.WaitForDialog("KSInstaller");
         ASSERT_NE(box, nullptr);
         EXPECT_TRUE(
             StartsWith(Driver::BoxText(box), "The game file " + layout.Game() / "gui.txt" +
                                                  " could not be kept before it is replaced (error "));
         EXPECT_TRUE(Driver::Dismiss(box, IDOK));
         box = run.driver.WaitForDialog("KSInstaller");
         ASSERT_NE(box, nullptr);
         EXPECT_TRUE(StartsWith(Driver::BoxText(box), "The game archive " + layout.Game() / "resource.pff" +
                                                          " could not be kept before packing (error "));
         EXPECT_TRUE(Driver::Dismiss(box, IDOK));
         EXPECT_TRUE(Driver::Settle(run.window));
         EXPECT_TRUE(run.Enabled(kInstall));
         EXPECT_EQ(ReadWholeFile(layout.Game() / "gui.txt"), "original");
         EXPECT_EQ(ReadWholeFile(layout.Game() / "resource.pff"), "destination");
         EXPECT_FALSE(PathExists(layout.Game() / "pack-args.txt"));
     }},
    {"BackupListOfGarbageAndNamesOutsideTheGame",
     Game("",
          [](AddonLayout& l) {
              std::string program = l.ProgramDir().substr(l.ProgramDir().rfind('\\') + 1);
              l.Game().WriteFile("KSInstaller Backup\\KSInstaller Backup.txt",
                                 "added ..\\" + program + "\\install.ini\r\nadded " +
                                     l.Program() / "install.ini" +
                                     "\r\nkept ..\\..\\x\r\n\x01\xfe\xff\r\nadded new.txt\r\n");
              l.Game().WriteFile("new.txt", "added by an add-on");
          }),
     [](InstallerRun& run, AddonLayout& layout) {
         run.Send(WM_SYSCOMMAND, 0x20);
         HWND box = run.driver.WaitForDialog("KSInstaller");
         ASSERT_NE(box, nullptr);
         EXPECT_TRUE(StartsWith(Driver::BoxText(box),
                                "4 lines of the backup list " +
                                    layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt" +
                                    " cannot be read; the first is \"added ..\\"))
             << Driver::BoxText(box);
         EXPECT_TRUE(Driver::Dismiss(box, IDOK));
         Answer(run.driver, "KSInstaller",
                "Restore the original game files in " + layout.GameDir() +
                    "? 0 kept files are put back and 1 added file is removed.");
         Answer(run.driver, "KSInstaller",
                "The files the backup list names are back. The lines it cannot read stay in " +
                    layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt" + ", with the files they may name.");
         EXPECT_FALSE(PathExists(layout.Game() / "new.txt"));
         // What it could not read stays word for word, each line as it was.
         std::string list = ReadWholeFile(layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt");
         EXPECT_EQ(list.find("added new.txt"), std::string::npos);
         EXPECT_NE(list.find("kept ..\\..\\x\r\n\x01\xfe\xff\r\n"),
                   std::string::npos)
             << list;
     }},
    {"KeptFileMissingFromTheBackup",
     Game("",
          [](AddonLayout& l) {
              l.Game().WriteFile("KSInstaller Backup\\KSInstaller Backup.txt", "kept gui.txt\r\n");
              l.Game().WriteFile("gui.txt", "add-on");
          }),
     [](InstallerRun& run, AddonLayout& layout) {
         run.Send(WM_SYSCOMMAND, 0x20);
         Answer(run.driver, "KSInstaller",
                "Restore the original game files in " + layout.GameDir() +
                    "? 1 kept file is put back and 0 added files are removed.");
         Answer(run.driver, "KSInstaller",
                "Files whose kept copy is not in the backup cannot be restored: 1, the first " +
                    layout.Game() / "gui.txt" + ".");
         EXPECT_EQ(ReadWholeFile(layout.Game() / "gui.txt"), "add-on");
         EXPECT_TRUE(PathExists(layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt"));
     }},
    {"BackupListWithALaterVersionsLine",
     Game("",
          [](AddonLayout& l) {
              l.Game().WriteFile("KSInstaller Backup\\KSInstaller Backup.txt",
                                 "moved data\\\xC5\x81\xC3\xB3"
                                 "d\xC5\xBA.txt\r\nkept gui.txt\r\n");
              l.Game().WriteFile("KSInstaller Backup\\gui.txt", "original");
              l.Game().WriteFile("KSInstaller Backup\\data\\old.txt", "what the later version moved");
              l.Game().WriteFile("gui.txt", "add-on");
          }),
     [](InstallerRun& run, AddonLayout& layout) {
         const std::string list = layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt";
         run.Send(WM_SYSCOMMAND, 0x20);
         Answer(run.driver, "KSInstaller",
                "1 line of the backup list " + list +
                    " cannot be read: \"moved data\\\xC5\x81\xC3\xB3"
                    "d\xC5\xBA.txt\". It is not restored; it stays in the list, and "
                    "the files it may name stay in the backup.");
         Answer(run.driver, "KSInstaller",
                "Restore the original game files in " + layout.GameDir() +
                    "? 1 kept file is put back and 0 added files are removed.");
         Answer(run.driver, "KSInstaller",
                "The files the backup list names are back. The lines it cannot read stay in " +
                    layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt" + ", with the files they may name.");
         EXPECT_EQ(ReadWholeFile(layout.Game() / "gui.txt"), "original");
         EXPECT_EQ(ReadWholeFile(list), "moved data\\\xC5\x81\xC3\xB3"
                                        "d\xC5\xBA.txt\r\n");
         EXPECT_EQ(ReadWholeFile(layout.Game() / "KSInstaller Backup\\data\\old.txt"),
                   "what the later version moved");
     }},
    // The backup's list by its short name: no game file to keep or to copy over.
    {"CopyFileNamingTheBackupListByItsShortName",
     [](AddonLayout& l) {
         l.Game().WriteFile("KSInstaller Backup\\KSInstaller Backup.txt", "kept gui.txt\r\n");
         l.Game().WriteFile("KSInstaller Backup\\gui.txt", "original");
         l.Game().WriteFile("gui.txt", "add-on");
         std::string alias = ShortNameBelow(l.Game(), "KSInstaller Backup") + "\\" +
                             ShortNameBelow(l.Game(), "KSInstaller Backup\\KSInstaller Backup.txt");
         Game("copy_file_1=" + alias + "\r\n")(l);
         l.Program().WriteFile(alias, "kept nothing.txt\r\n");
     },
     [](InstallerRun& run, AddonLayout& layout) {
         Install(run);
         HWND box = run.driver.WaitForDialog("KSInstaller");
         ASSERT_NE(box, nullptr);
         EXPECT_TRUE(StartsWith(Driver::BoxText(box), "The game file " + layout.Game() / "KS"))
             << Driver::BoxText(box);
         EXPECT_NE(
             Driver::BoxText(box).find(" could not be kept before it is replaced (error 123), so it was "
                                       "left as it is."),
             std::string::npos)
             << Driver::BoxText(box);
         EXPECT_TRUE(Driver::Dismiss(box, IDOK));
         Refused(run);
         EXPECT_EQ(ReadWholeFile(layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt"),
                   "kept gui.txt\r\n");
     }},
    // Exit queued behind the press: an empty archive's keep asks nobody whether to stop, so it
    // always gets to its end with Exit pressed; nothing may be launched after it.
    {"ExitInTheLastMomentOfTheArchiveKeep",
     [](AddonLayout& l) {
         PackGame("ok")(l);
         l.Game().WriteFile("resource.pff", "");
     },
     [](InstallerRun& run, AddonLayout& layout) {
         ASSERT_TRUE(run.Enabled(kInstall));
         // The window deletes a launched batch file as it closes, and the tool may start later
         // still: the batch file's creation in the add-on folder is what tells of a launch.
         HANDLE named =
             FindFirstChangeNotificationA(layout.ProgramDir().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
         ASSERT_NE(named, INVALID_HANDLE_VALUE);
         Driver::Click(run.window, kInstall);
         Driver::Click(run.window, kExit);
         EXPECT_TRUE(run.driver.WaitForExit(30000));
         EXPECT_NE(WaitForSingleObject(named, 500), WAIT_OBJECT_0) << "a batch file was written";
         FindCloseChangeNotification(named);
         EXPECT_EQ(ReadWholeFile(layout.Game() / "resource.pff"), "");
         const std::string list = ReadWholeFile(layout.Game() / "KSInstaller Backup\\KSInstaller Backup.txt");
         EXPECT_TRUE(list.empty() || list == "kept resource.pff\r\n") << list;
     }},
    {"ForeignTextMessages", [](AddonLayout&) {},
     [](InstallerRun& run, AddonLayout&) {
         for (UINT message : {1724u, 1725u, 2059u})
             for (LPARAM garbage : {LPARAM(0), LPARAM(1), LPARAM(-1), LPARAM(0x7FFE0000)}) {
                 run.Send(message, WPARAM(garbage), garbage);
                 run.Send(message, WPARAM(0x10000), 0);
             }
         NoBoxes(run);
         EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 1));
     }},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class BadInput : public testing::TestWithParam<Row> {};

TEST_P(BadInput, EndsCleanlyWithAClearMessageAndWritesNothingElsewhere) {
    const Row& row = GetParam();
    AddonLayout layout;
    row.prepare(layout);
    std::map<std::string, DWORD> programBefore = Tree(layout.ProgramDir());
    std::string registryBefore = RegistryShape();

    InstallerRun run(layout, "", false);
    // A licence question may come first; accepted, the window must follow.
    std::string licence;
    for (DWORD start = GetTickCount(); !run.window && GetTickCount() - start < Driver::kTimeoutMs;
         Sleep(20)) {
        if (HWND box = run.driver.WaitForDialog("KSInstaller", 1)) {
            licence = Driver::BoxText(box);
            EXPECT_TRUE(Driver::Dismiss(box, IDOK));
        }
        run.window = run.driver.WaitForMainWindow(1);
    }
    ASSERT_NE(run.window, nullptr) << "no window; the installer "
                                   << (run.driver.HasExited() ? "ended" : "runs");
    EXPECT_TRUE(licence == row.licence) << "licence question of " << licence.size() << " characters";
    row.act(run, layout);
    // Any box the row left open is a finding.
    if (HWND box = run.driver.WaitForDialog("KSInstaller", 300)) {
        ADD_FAILURE() << "box left open: " << Driver::BoxText(box);
        EXPECT_TRUE(Driver::Dismiss(box, IDOK));
    }
    // Rows that pressed Exit themselves end here too.
    if (!run.driver.HasExited())
        Driver::Click(run.window, kExit);
    ASSERT_TRUE(run.driver.WaitForExit(30000)) << "hang";
    DWORD exitCode = 0;
    GetExitCodeProcess(run.driver.Process(), &exitCode);
    EXPECT_EQ(exitCode, 0u) << "crash";

    // The copied big file and the batch files are the program folder's own business: nothing new stays.
    std::map<std::string, DWORD> programAfter = Tree(layout.ProgramDir());
    // Wine's cmd keeps a running batch file open, so it cannot be deleted before the tool ends;
    // Windows' cmd reopens it per line and lets it go.
    for (auto it = programAfter.begin(); it != programAfter.end();)
        it = StartsWith(it->first, "packit_") &&
                     std::string(row.name).find("DuringPacking") != std::string::npos
                 ? programAfter.erase(it)
                 : std::next(it);
    EXPECT_EQ(programAfter, programBefore);
    EXPECT_EQ(RegistryShape(), registryBefore);
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });
} // namespace
