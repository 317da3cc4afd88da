// One run of the installer from a layout, with the main window's controls at hand.
#pragma once

#include <string>

#include "AddonLayout.h"
#include "Driver.h"

namespace controls {
constexpr int kExit = IDOK;
constexpr int kChangePath = 1001;
constexpr int kFolderBox = 1002;
constexpr int kInstall = 1003;
constexpr int kResetDefault = 1004;
constexpr int kPicture = 1008;
} // namespace controls

struct InstallerRun {
    Driver driver;
    HWND window = nullptr;

    // Starts the installer (in its own folder unless told otherwise) and waits for its main window.
    explicit InstallerRun(const AddonLayout& layout, const std::string& workingDir = "",
                          bool waitForWindow = true);

    std::string Folder() const { return Driver::ItemText(window, controls::kFolderBox); }
    bool Enabled(int id) const { return Driver::ItemEnabled(window, id); }
    // Posts a message and waits until the window has handled it.
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Presses Exit and expects the process to end.
    bool Exit() const;
};

// Waits for a box with this caption, checks its text and presses the button.
void Answer(const Driver& driver, const std::string& caption, const std::string& text, int button = IDOK);
