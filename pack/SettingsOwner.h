// What the settings object and the pack job need of the window that owns them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class PackRun;

class SettingsOwner {
public:
    // Shows the text in a "KSInstaller" box now and returns the button that closed it;
    // plain: a single OK button, else OK and Cancel with a question mark.
    virtual int ShowNotice(std::string text, bool plain) = 0;
    // The same box, shown once the handler that is running now has returned.
    virtual void PostNotice(std::string text, bool plain) = 0;
    // The window that pack runs report to.
    virtual HWND WindowHandle() const = 0;
    // The file is deleted when the window is destroyed.
    virtual void AddFileToDelete(const std::string& path) = 0;
    // A pack run has been launched; only its watcher's reports are to be believed, and the
    // window stops it when it closes.
    virtual void PackRunLaunched(const std::shared_ptr<PackRun>& run) = 0;
    // Told before each listed file is tried: its name as install.ini writes it, its number and
    // how many files will be tried.
    virtual void CopyBegins(const std::string& name, int number, int count) = 0;
    // Copies one listed file as FileTransfer::CopyWhole does; ERROR_CANCELLED when the user is
    // leaving, and then nothing more is copied.
    virtual DWORD CopyGameFile(const std::string& from, const std::string& to) = 0;

protected:
    ~SettingsOwner() = default;
};
