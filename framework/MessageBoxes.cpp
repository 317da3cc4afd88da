// Message boxes captioned with the application name unless given a caption.
#include "framework/MessageBoxes.h"

#include "framework/Application.h"

int ShowMessageBox(HWND owner, const std::string& text, UINT type, const char* caption) {
    return MessageBoxA(owner, text.c_str(), caption ? caption : ApplicationName().c_str(), type);
}

int AppMessageBox(const std::string& text, UINT type) {
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    Application* app = Application::Current();
    return ShowMessageBox(app ? app->MainWindow() : nullptr, text, type);
}
