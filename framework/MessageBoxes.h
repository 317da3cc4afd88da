// Message boxes captioned with the application name unless given a caption.
#pragma once

#include <windows.h>

#include <string>

int ShowMessageBox(HWND owner, const std::string& text, UINT type, const char* caption = nullptr);

// The application's own box: owned by the main window, exclamation mark unless the type names an icon.
int AppMessageBox(const std::string& text, UINT type = MB_OK);
