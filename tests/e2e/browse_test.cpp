// "&Change Path" through the real Open dialog, as the user drives it.
#include <gtest/gtest.h>

#include <winternl.h>

#include "framework/WideText.h"
#include "InstallerRun.h"
#include "ScreenShot.h"
#include "framework/Handles.h"
#include "framework/SelectedObject.h"

namespace {
constexpr int kChangePath = 1001;
constexpr int kFolderBox = 1002;
constexpr int kInstall = 1003;
constexpr int kResetDefault = 1004;
constexpr int kFileNameBox = 0x47C;
const char* const kBrowseTitle = "Browse for Kestrel Squad Folder";

BOOL CALLBACK FindFileNameEdit(HWND child, LPARAM found) {
    char className[16];
    if (GetDlgCtrlID(child) == kFileNameBox && GetClassNameA(child, className, sizeof className) &&
        std::string(className) == "Edit") {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

// The edit box inside the Open dialog's file-name combo box.
HWND FileNameEdit(HWND open) {
    HWND edit = nullptr;
    EnumChildWindows(open, FindFileNameEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

// The current directory of another process, read from its process parameters.
std::wstring CurrentDirectoryOf(HANDLE process) {
    struct ParametersStart {
        BYTE header[16];
        PVOID handles[5];
        UNICODE_STRING currentDirectory;
    } parameters{};
    PROCESS_BASIC_INFORMATION basic{};
    PVOID address = nullptr;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process, &basic.PebBaseAddress->ProcessParameters, &address, sizeof address,
                           nullptr) ||
        !ReadProcessMemory(process, address, &parameters, sizeof parameters, nullptr))
        return L"<unreadable>";
    std::wstring text(parameters.currentDirectory.Length / sizeof(wchar_t), L'\0');
    if (!text.empty() &&
        !ReadProcessMemory(process, parameters.currentDirectory.Buffer, &text[0], text.size() * 2, nullptr))
        return L"<unreadable>";
    return text;
}

std::wstring Wide(const std::string& text) {
    WideText wide(text);
    return std::wstring(wide.c_str(), static_cast<size_t>(wide.Length()));
}

// The installer run with the Open dialog of "&Change Path" at hand.
struct BrowseRun : InstallerRun {
    BrowseRun(const AddonLayout& layout, const std::string& workingDir) : InstallerRun(layout, workingDir) {
        if (window) {
            EXPECT_TRUE(Driver::Settle(window));
        }
    }
    HWND OpenBrowse() const {
        Driver::Click(window, kChangePath);
        return driver.WaitForDialog(kBrowseTitle);
    }
    // Types a path into the Open dialog and presses its button; true when the dialog closed.
    bool Choose(const std::wstring& path, int button = IDOK) const {
        HWND open = OpenBrowse();
        if (!open)
            return false;
        DWORD_PTR ignored;
        SendMessageTimeoutW(FileNameEdit(open), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                            SMTO_ABORTIFHUNG, Driver::kTimeoutMs, &ignored);
        bool closed = Driver::Dismiss(open, button);
        EXPECT_TRUE(Driver::Settle(window));
        return closed;
    }
    bool Choose(const std::string& path, int button = IDOK) const { return Choose(Wide(path), button); }
};
} // namespace

TEST(ChangePath, OpensOnTheArchiveAndTakesTheChosenFilesFolder) {
    AddonLayout layout;
    layout.WriteIni("ks_version=KS2\r\ndestination_pff=resource.pff\r\n");
    layout.Game().WriteFile("resource.pff", "archive");
    std::string other = layout.Program().MakeFolder("Other Game Folder");
    layout.Program().WriteFile("Other Game Folder\\x.pff", "x");
    layout.RegisterGame("KS2", layout.GameDir());
    BrowseRun run(layout, layout.ProgramDir());
    ASSERT_NE(run.window, nullptr);

    // The dialog starts in the game folder with the archive's name ready; accepting keeps the folder.
    HWND open = run.OpenBrowse();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(Driver::Text(FileNameEdit(open)), "resource.pff");
    EXPECT_EQ(layout.GameDir().substr(layout.GameDir().rfind('\\') + 1), Driver::ItemText(open, 0x471));
    EXPECT_FALSE(IsWindowEnabled(run.window)) << "the main window must wait for the dialog";
    EXPECT_TRUE(Driver::Dismiss(open, IDOK));
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_EQ(run.Folder(), layout.GameDir());
    EXPECT_FALSE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.Enabled(kInstall));

    // Another folder: its path without the file name, and "&Reset Default" comes alive.
    ASSERT_TRUE(run.Choose(other + "\\x.pff"));
    EXPECT_EQ(run.Folder(), other);
    EXPECT_TRUE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.Enabled(kInstall));

    // Cancelling, even after typing a name, changes nothing.
    ASSERT_TRUE(run.Choose(layout.Game() / "resource.pff", IDCANCEL));
    EXPECT_EQ(run.Folder(), other);
    EXPECT_TRUE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.Enabled(kInstall));

    // The detected folder again, in other letter case: the same folder, so nothing to reset.
    std::string upper = layout.GameDir();
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(run.Choose(upper + "\\RESOURCE.PFF"));
    EXPECT_FALSE(run.Enabled(kResetDefault)) << run.Folder();
    EXPECT_TRUE(run.Enabled(kInstall));

    ASSERT_TRUE(run.Choose(other + "\\x.pff"));
    ASSERT_TRUE(run.Enabled(kResetDefault));
    // And in its 8.3 form.
    char shortForm[MAX_PATH];
    DWORD length = GetShortPathNameA(layout.GameDir().c_str(), shortForm, sizeof shortForm);
    ASSERT_TRUE(length > 0 && length < sizeof shortForm);
    ASSERT_NE(std::string(shortForm), layout.GameDir());
    ASSERT_TRUE(run.Choose(std::string(shortForm) + "\\resource.pff"));
    EXPECT_FALSE(run.Enabled(kResetDefault)) << run.Folder();
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 200));
    EXPECT_TRUE(run.Exit());
}

TEST(ChangePath, FileInADriveRootGivesTheBareDrive) {
    AddonLayout layout;
    const std::string rootFile = "C:\\ks_browse_root.pff";
    ASSERT_TRUE(CopyFileA(layout.Exe().c_str(), rootFile.c_str(), FALSE));
    BrowseRun run(layout, layout.ProgramDir());
    ASSERT_NE(run.window, nullptr);
    EXPECT_TRUE(run.Choose(rootFile));
    EXPECT_EQ(run.Folder(), "C:");
    EXPECT_TRUE(run.Enabled(kInstall));
    EXPECT_TRUE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.driver.NoDialogFor("KSInstaller", 200));
    EXPECT_TRUE(run.Exit());
    DeleteFileA(rootFile.c_str());
}

TEST(ChangePath, RegisteredFolderWithTrailingBackslashChosenAgainKeepsResetDisabled) {
    AddonLayout layout;
    layout.WriteIni("ks_version=KS3\r\ndestination_pff=resource.pff\r\n");
    layout.Game().WriteFile("resource.pff", "archive");
    layout.RegisterGame("KS3", layout.GameDir() + "\\");
    BrowseRun run(layout, layout.ProgramDir());
    ASSERT_NE(run.window, nullptr);
    ASSERT_EQ(run.Folder(), layout.GameDir() + "\\");

    HWND open = run.OpenBrowse();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(Driver::Text(FileNameEdit(open)), "resource.pff");
    EXPECT_TRUE(Driver::Dismiss(open, IDOK));
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_EQ(run.Folder(), layout.GameDir());
    EXPECT_FALSE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.Exit());
}

TEST(ChangePath, FolderNamedInScriptsNoCodePageHoldsIsTakenAsItIs) {
    AddonLayout layout("kit.exe");
    layout.WriteIni("ks_version=KS2\r\n");
    layout.RegisterGame("KS2", layout.GameDir());
    // Latin, Cyrillic and Chinese letters that no single code page carries.
    const std::string folder =
        layout.Game().MakeFolder("g\xC4\x81me \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\xB8\xB8\xE6\x88\x8F");
    layout.Game().WriteFile("g\xC4\x81me \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B \xE6\xB8\xB8\xE6\x88\x8F\\x.pff",
                            "x");

    BrowseRun run(layout, layout.ProgramDir());
    ASSERT_NE(run.window, nullptr);
    ASSERT_TRUE(run.Choose(folder + "\\x.pff"));
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_TRUE(run.driver.NoDialogFor("kit", 300));
    EXPECT_EQ(run.Folder(), folder);
    EXPECT_TRUE(run.Enabled(kInstall));
    EXPECT_TRUE(run.Enabled(kResetDefault));
    EXPECT_TRUE(run.Exit());
}

TEST(ChangePath, BrowsingLeavesTheCurrentDirectoryWhereTheProgramStarted) {
    AddonLayout layout;
    std::string work = layout.Game().MakeFolder("work");
    std::string elsewhere = layout.Game().MakeFolder("elsewhere");
    layout.Game().WriteFile("elsewhere\\x.pff", "x");
    BrowseRun run(layout, work);
    ASSERT_NE(run.window, nullptr);
    ASSERT_EQ(CurrentDirectoryOf(run.driver.Process()), Wide(work + "\\"));
    // Going into a folder inside the dialog moves the dialog's own current directory.
    HWND open = run.OpenBrowse();
    ASSERT_NE(open, nullptr);
    HWND name = FileNameEdit(open);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(elsewhere.c_str()));
    Driver::Click(open, IDOK);
    for (DWORD start = GetTickCount(); GetTickCount() - start < Driver::kTimeoutMs; Sleep(20)) {
        if (Driver::ItemText(open, 0x471) == "elsewhere")
            break;
    }
    ASSERT_EQ(Driver::ItemText(open, 0x471), "elsewhere");
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x.pff"));
    ASSERT_TRUE(Driver::Dismiss(open, IDOK));
    EXPECT_TRUE(Driver::Settle(run.window));
    ASSERT_EQ(run.Folder(), elsewhere);
    EXPECT_EQ(CurrentDirectoryOf(run.driver.Process()), Wide(work + "\\"));
    EXPECT_TRUE(run.Exit());
}
