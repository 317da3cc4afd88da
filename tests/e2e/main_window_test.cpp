// The main window from start to exit: texts, licence, folder, buttons, copying and private messages.
#include <gtest/gtest.h>

#include "InstallerRun.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

using namespace controls;

TEST(MainWindow, WithoutInstallIniShowsDefaultsAndAnEmptyFolder) {
    AddonLayout layout;
    InstallerRun run(layout);
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(Driver::Text(run.window), "Carrowind Expansion Pak");
    EXPECT_EQ(Driver::ItemText(run.window, kInstall), "Install New GUI");
    EXPECT_EQ(run.Folder(), "");
    EXPECT_FALSE(run.Enabled(kInstall));
    EXPECT_FALSE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.Enabled(kChangePath));
    EXPECT_TRUE(run.Enabled(kExit));
    EXPECT_EQ(Driver::ItemText(run.window, 1008), "Static");
    EXPECT_TRUE(run.Exit());
}

TEST(MainWindow, LicenceIsShownInFullAndRefusingItClosesTheWindowAndCopiesNothing) {
    AddonLayout layout("kit.exe");
    // Far longer than the other values may be.
    const std::string licence = std::string(300, 'L') + std::string(300, 'M') + " Do you accept?";
    layout.WriteIni("eula_text=" + licence + "\r\nks_version=KS2\r\ncopy_file_1=a.txt\r\n");
    layout.Program().WriteFile("a.txt", "a");
    layout.RegisterGame("KS2", layout.GameDir());
    Driver driver;
    ASSERT_TRUE(driver.Start(layout.Exe(), layout.ProgramDir()));
    // The licence question is captioned with the program file's base name.
    Answer(driver, "kit", licence, IDCANCEL);
    EXPECT_TRUE(driver.WaitForExit());
    EXPECT_FALSE(PathExists(layout.Game() / "a.txt"));
}

TEST(MainWindow, AcceptedLicenceShowsConfiguredTextsAndDetectedFolderThenCopies) {
    AddonLayout layout;
    layout.WriteIni(
        "eula_text=Accept?\r\ndialog_title=My Pak\r\ninstall_button_text=&Go\r\nks_version=KS2\r\n"
        "copy_file_1=a.txt\r\ncopy_file_2=data\\b.txt\r\ncopy_file_3=missing.txt\r\n"
        "copy_file_4=nodir\\c.txt\r\n");
    layout.Program().WriteFile("a.txt", "new a");
    layout.Program().WriteFile("data\\b.txt", "b");
    layout.Program().WriteFile("nodir\\c.txt", "c");
    layout.Game().WriteFile("a.txt", "old a");
    layout.Game().MakeFolder("data");
    layout.RegisterGame("KS2", layout.GameDir());

    Driver driver;
    ASSERT_TRUE(driver.Start(layout.Exe(), layout.ProgramDir()));
    Answer(driver, "KSInstaller", "Accept?", IDOK);
    HWND window = driver.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(Driver::Settle(window));
    EXPECT_EQ(Driver::Text(window), "My Pak");
    EXPECT_EQ(Driver::ItemText(window, kInstall), "&Go");
    EXPECT_EQ(Driver::ItemText(window, kFolderBox), layout.GameDir());
    EXPECT_TRUE(Driver::ItemEnabled(window, kInstall));
    EXPECT_FALSE(Driver::ItemEnabled(window, kResetDefault));

    Driver::Click(window, kInstall);
    Answer(driver, "KSInstaller", "The file does not exist: " + layout.Program() / "missing.txt");
    Answer(driver, "KSInstaller",
           "Failed to copy file " + layout.Program() / "nodir\\c.txt" + " to " +
               layout.Game() / "nodir\\c.txt");
    // The pack job comes last and finds no archives configured.
    Answer(driver, "KSInstaller", "Source and destination files unspecified.  Can't pack.");
    EXPECT_TRUE(Driver::Settle(window));
    EXPECT_EQ(ReadWholeFile(layout.Game() / "a.txt"), "new a");
    EXPECT_EQ(ReadWholeFile(layout.Game() / "data\\b.txt"), "b");

    Driver::Click(window, kExit);
    EXPECT_TRUE(driver.WaitForExit());
}

TEST(MainWindow, MissingDetectedFolderEmptiesTheBoxAndNothingIsCopiedIntoIt) {
    AddonLayout layout;
    std::string game = layout.Game().MakeFolder("game");
    layout.WriteIni("ks_version=KS1\r\ncopy_file_1=a.txt\r\n");
    layout.Program().WriteFile("a.txt", "a");
    layout.RegisterGame("KS1", game);
    InstallerRun run(layout);
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(run.Folder(), game);
    EXPECT_TRUE(run.Enabled(kInstall));

    // The folder vanishes; going back to the detected folder must check it again.
    RemoveTree(game);
    run.Send(WM_COMMAND, MAKEWPARAM(kResetDefault, BN_CLICKED));
    EXPECT_EQ(run.Folder(), "");
    EXPECT_FALSE(run.Enabled(kInstall));
    EXPECT_FALSE(run.Enabled(kResetDefault));

    // Even a press that reaches the handler copies nothing into an empty folder.
    PostMessageA(run.window, WM_COMMAND, MAKEWPARAM(kInstall, BN_CLICKED), 0);
    Answer(run.driver, "KSInstaller", "Choose an existing game folder before installing.");
    EXPECT_FALSE(PathExists(game));
    EXPECT_FALSE(PathExists("\\a.txt") && ReadWholeFile("\\a.txt") == "a");
    EXPECT_TRUE(run.Exit());
}

TEST(MainWindow, SystemCommandsSixteenToThirtyOneOpenTheAboutBox) {
    AddonLayout layout;
    InstallerRun run(layout);
    ASSERT_NE(run.window, nullptr);
    for (WPARAM id : {16, 31}) {
        PostMessageA(run.window, WM_SYSCOMMAND, id, 0);
        HWND about = run.driver.WaitForDialog("About KSConvert");
        ASSERT_NE(about, nullptr) << id;
        EXPECT_NE(Driver::Text(about).find("About"), std::string::npos);
        EXPECT_TRUE(Driver::Dismiss(about, IDOK));
    }
    // 32 is the restore command's, and this window has no game folder to restore.
    PostMessageA(run.window, WM_SYSCOMMAND, 32, 0);
    EXPECT_TRUE(run.driver.NoDialogFor("About KSConvert", 300));
    Answer(run.driver, "KSInstaller", "Choose an existing game folder before restoring.");
    EXPECT_FALSE(run.Enabled(kInstall));
    EXPECT_TRUE(run.Enabled(kChangePath));
    EXPECT_TRUE(run.Exit());
}

TEST(MainWindow, ForeignPrivateMessagesWithGarbageShowNothingAndCrashNothing) {
    AddonLayout layout("kit.exe");
    InstallerRun run(layout);
    ASSERT_NE(run.window, nullptr);
    // Addresses from another process mean nothing here; they must never be read or freed.
    for (UINT message : {1724u, 1725u, 2059u}) {
        run.Send(message, 0xDEADBEEF, 0x12345678);
        run.Send(message, 0, 0);
    }
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 300));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 1));
    EXPECT_FALSE(run.driver.HasExited());

    // 1726 is the done handling, whoever sends it.
    PostMessageA(run.window, 1726, 7, 7);
    Answer(run.driver, "kit", "Install done.");
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_EQ(Driver::ItemText(run.window, kInstall), "Done");
    EXPECT_TRUE(run.Enabled(kInstall));
    EXPECT_FALSE(run.Enabled(kResetDefault));
    // The install button does nothing any more.
    run.Send(WM_COMMAND, MAKEWPARAM(kInstall, BN_CLICKED));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 300));
    EXPECT_TRUE(run.Exit());
}

TEST(MainWindow, EnterOnExitAndEscapeBothEndTheProcess) {
    AddonLayout layout;
    {
        InstallerRun run(layout);
        ASSERT_NE(run.window, nullptr);
        PostMessageA(run.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(run.driver.WaitForExit());
    }
    {
        InstallerRun run(layout);
        ASSERT_NE(run.window, nullptr);
        PostMessageA(run.window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(run.driver.WaitForExit());
    }
}

TEST(MainWindow, InstallIniIsReadAsSavedInUtf8WithOrWithoutItsMarkUtf16LeOrTheSystemCodePage) {
    const std::string title = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 \xE2\x80\x93 "
                              "\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C \xE5\xA4\x9C";
    const std::string button = "&Install \xE2\x84\xA2";
    const std::string keys =
        "[installer]\r\ndialog_title=" + title + "\r\ninstall_button_text=" + button + "\r\n";
    std::string utf16 = "\xFF\xFE";
    WideText wide(keys);
    utf16.append(reinterpret_cast<const char*>(wide.c_str()), static_cast<size_t>(wide.Length()) * 2);
    // Saved by an older editor: bytes of the system code page, which are not UTF-8.
    const std::string legacy =
        "[installer]\r\ndialog_title=Caf\xE9 \xC0 la carte\r\ninstall_button_text=&Go\r\n";
    struct Row {
        const char* name;
        std::string bytes, title, button;
    };
    const Row rows[] = {
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + keys, title, button},
        {"UTF-8", keys, title, button},
        {"UTF-16 LE", utf16, title, button},
        {"code page", legacy, Utf8FromCodePage(CP_ACP, "Caf\xE9 \xC0 la carte", 15), "&Go"},
    };
    for (const Row& row : rows) {
        AddonLayout layout;
        layout.Program().WriteFile("install.ini", row.bytes);
        InstallerRun run(layout);
        ASSERT_NE(run.window, nullptr) << row.name;
        EXPECT_EQ(Driver::Text(run.window), row.title) << row.name;
        EXPECT_EQ(Driver::ItemText(run.window, kInstall), row.button) << row.name;
        EXPECT_TRUE(run.Exit()) << row.name;
    }
}
