// Drives one installation for ./run demo and tells what the user would have seen.
#include <cstdio>
#include <string>

#include "Driver.h"

namespace {
constexpr int kFolderBox = 1002;
constexpr int kInstall = 1003;
constexpr int kStatus = 1009;
constexpr WPARAM kRestoreCommand = 0x0020;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Answers every box that the installer shows within the wait; false when none came.
bool AnswerBoxes(const Driver& driver, const char* caption, DWORD waitMs, bool* sawDone = nullptr) {
    bool any = false;
    while (HWND box = driver.WaitForDialog(caption, waitMs)) {
        std::string text = Driver::BoxText(box);
        Say(std::string("  box \"") + caption + "\": " + text);
        if (sawDone && text == "Install done.")
            *sawDone = true;
        Driver::Dismiss(box, IDOK);
        any = true;
    }
    return any;
}

// The game folder's files with their sizes, as the user would see them in Explorer.
void ListFolder(const std::string& folder, const std::string& prefix) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Say("    " + prefix + name + "\\");
            ListFolder(folder + "\\" + name, prefix + name + "\\");
        } else {
            Say("    " + prefix + name + " (" + std::to_string(found.nFileSizeLow) + " bytes)");
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void ShowGame(const std::string& folder, const char* when) {
    Say(std::string("  game folder ") + when + ":");
    ListFolder(folder, "");
}

// Waits for the demo script to take its screenshot: it deletes the marker file.
void PauseForScreenshot(const std::string& marker) {
    HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    for (int i = 0; i < 100 && GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        Say("usage: demo_driver INSTALLER.exe SCREENSHOT-MARKER");
        return 2;
    }
    std::string exe = argv[1];
    std::string folder = exe.substr(0, exe.rfind('\\'));
    Driver driver;
    if (!driver.Start(exe, folder)) {
        Say("could not start " + exe);
        return 1;
    }
    const std::string appName = exe.substr(folder.size() + 1, exe.size() - folder.size() - 5);
    AnswerBoxes(driver, appName.c_str(), 3000); // the licence question
    HWND window = driver.WaitForMainWindow();
    if (!window) {
        Say("the main window did not appear");
        return 1;
    }
    if (!Driver::Settle(window))
        Say("the main window did not settle");
    Say("main window \"" + Driver::Text(window) + "\"");
    Say("  game folder: " + Driver::ItemText(window, kFolderBox));
    Say("  install button \"" + Driver::ItemText(window, kInstall) + "\" " +
        (Driver::ItemEnabled(window, kInstall) ? "enabled" : "disabled"));
    const std::string game = Driver::ItemText(window, kFolderBox);
    ShowGame(game, "before the installation");
    if (!Driver::ItemEnabled(window, kInstall))
        PauseForScreenshot(argv[2]);
    else {
        Say("pressing \"" + Driver::ItemText(window, kInstall) + "\"");
        Driver::Click(window, kInstall);
        // The picture shows the status line and the bar at work.
        for (DWORD start = GetTickCount();
             GetTickCount() - start < 8000 && Driver::ItemText(window, kStatus).rfind("Packing", 0) != 0;)
            Sleep(20);
        Sleep(300);
        Say("  status: " + Driver::ItemText(window, kStatus));
        PauseForScreenshot(argv[2]);
        // The button reads "Done" just before its box opens: the box must be answered too, or
        // the window cannot close.
        bool sawDone = false;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 30000 && !sawDone;) {
            bool any = AnswerBoxes(driver, "KSInstaller", 500);
            any = AnswerBoxes(driver, appName.c_str(), 500, &sawDone) || any;
            if (!any && Driver::ItemEnabled(window, kInstall) && GetTickCount() - start > 3000)
                break;
        }
        Say("  install button now \"" + Driver::ItemText(window, kInstall) +
            "\", status: " + Driver::ItemText(window, kStatus));
        ShowGame(game, "after the installation");
        Say("choosing \"Restore Original Game Files...\" in the system menu");
        PostMessageA(window, WM_SYSCOMMAND, kRestoreCommand, 0);
        AnswerBoxes(driver, appName.c_str(), 3000);
        ShowGame(game, "after the restore");
    }
    Say("pressing \"&Exit\"");
    Driver::Click(window, IDOK);
    Say(driver.WaitForExit() ? "the installer has ended" : "the installer did not end");
    return 0;
}
