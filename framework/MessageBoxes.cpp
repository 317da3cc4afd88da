// Message boxes captioned with the application name unless given a caption.
#include "framework/MessageBoxes.h"

#include "framework/Application.h"
#include "framework/WideText.h"

int ShowMessageBox(HWND owner, const std::string& text, UINT type, const char* caption) {
    return MessageBoxW(owner, WideText(text).c_str(),
                       WideText(caption ? caption : ApplicationName().c_str()).c_str(), type);
}

int AppMessageBox(const std::string& text, UINT type) {
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    Application* app = Application::Current();
    return ShowMessageBox(app ? app->MainWindow() : nullptr, text, type);
}
