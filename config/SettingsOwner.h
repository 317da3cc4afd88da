// What the settings object needs of the window that owns it.
#pragma once

#include <windows.h>

#include <string>

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

protected:
    ~SettingsOwner() = default;
};
