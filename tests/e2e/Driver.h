// Starts the installer in its own process and drives its windows from outside, with bounded waits.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

class Driver {
public:
    // Waits longer than any step should take, so a hang fails the test instead of blocking the run.
    static constexpr DWORD kTimeoutMs = 10000;

    Driver() = default;
    ~Driver(); // ends a process the test left running
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // With an output handle (inheritable), the program's standard output goes there.
    bool Start(const std::string& exe, const std::string& workingDir, const std::string& arguments = "",
               HANDLE output = nullptr);
    // Starts exe with exactly this command line, as a console would pass on what the user typed.
    bool StartAs(const std::string& exe, const std::string& commandLine, const std::string& workingDir,
                 HANDLE output = nullptr);
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process.get(); }

    // A visible dialog of the process: the main window is the one holding the install button.
    HWND WaitForMainWindow(DWORD timeoutMs = kTimeoutMs) const;
    // A visible dialog of the process other than the main window with exactly this caption.
    HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = kTimeoutMs) const;
    // True when no dialog with this caption shows up in the given time.
    bool NoDialogFor(const std::string& caption, DWORD ms) const;
    bool WaitForExit(DWORD timeoutMs = kTimeoutMs) const;
    bool HasExited() const { return WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0; }

    static std::string Text(HWND window);
    static std::string ItemText(HWND dialog, int id);
    static bool ItemEnabled(HWND dialog, int id);
    // The text of a message box (its static control 0xFFFF).
    static std::string BoxText(HWND box) { return ItemText(box, 0xFFFF); }
    // Presses a button without waiting for what the press opens.
    static void Click(HWND dialog, int id);
    // Presses a button of a box or dialog and waits until that window has gone, so that the next
    // search cannot find it again while it closes.
    static bool Dismiss(HWND box, int id);
    // Lets the target's queue drain, so the state read next is the one after the last step;
    // false when the window did not get there in time (or is gone).
    [[nodiscard]] static bool Settle(HWND window);

private:
    HWND FindDialog(const std::string* caption, bool wantMain) const;

    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
};

// The Windows form of a path from the build (Wine maps the Unix root to Z:).
std::string WindowsPath(const std::string& unixPath);
