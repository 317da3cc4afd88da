// What the settings object and the pack job need of the window that owns them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

class PackRun;

class SettingsOwner {
public:
    // Shows the text in a "KSInstaller" box now and returns the button that closed it;
    // plain: a single OK button, else OK and Cancel with a question mark.
    virtual int ShowNotice(std::string text, bool plain) = 0;
    // The same box, shown once the handler that is running now has returned.
    virtual void PostNotice(std::string text, bool plain) = 0;
    // A "KSInstaller" box with an exclamation mark, shown now.
    virtual void ShowWarning(std::string text) { ShowNotice(std::move(text), true); }
    // The window that pack runs report to.
    virtual HWND WindowHandle() const = 0;
    // The file is deleted when the window is destroyed.
    virtual void AddFileToDelete(const std::string& path) = 0;
    // A pack run has been launched; only its watcher's reports are to be believed, and the
    // window stops it when it closes.
    virtual void PackRunLaunched(const std::shared_ptr<PackRun>& run) = 0;

protected:
    ~SettingsOwner() = default;
};
