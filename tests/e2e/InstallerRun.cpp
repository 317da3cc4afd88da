// One run of the installer from a layout, with the main window's controls at hand.
#include "InstallerRun.h"

#include <gtest/gtest.h>

InstallerRun::InstallerRun(const AddonLayout& layout, const std::string& workingDir, bool waitForWindow) {
    if (driver.Start(layout.Exe(), workingDir.empty() ? layout.ProgramDir() : workingDir) && waitForWindow)
        window = driver.WaitForMainWindow();
}

void InstallerRun::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    PostMessageA(window, message, wParam, lParam);
    EXPECT_TRUE(Driver::Settle(window));
}

bool InstallerRun::Exit() const {
    Driver::Click(window, controls::kExit);
    return driver.WaitForExit();
}

void Answer(const Driver& driver, const std::string& caption, const std::string& text, int button) {
    HWND box = driver.WaitForDialog(caption);
    ASSERT_NE(box, nullptr) << "no box captioned " << caption << " saying " << text;
    EXPECT_EQ(Driver::BoxText(box), text);
    EXPECT_TRUE(Driver::Dismiss(box, button));
}
