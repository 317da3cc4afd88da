// ChooseDir.exe FOLDER: runs the folder chooser on FOLDER and prints the folder chosen with OK.
#include "tools/ChooseDirApp.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "folders/ChooseDirectoryDialog.h"
#include "framework/Utf8.h"

ChooseDirApp theApp;

namespace {
std::string InitialFolder() {
    std::string folder;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments && count > 1) {
        folder = Utf8Of(arguments[1]);
    } else {
        wchar_t current[MAX_PATH];
        DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
        if (length > 0 && length < MAX_PATH)
            folder = Utf8Of(current, static_cast<int>(length));
    }
    LocalFree(arguments);
    // The chooser takes folders without the closing backslash ("C:\" is the drive C:); a quote can
    // only be left over from "C:\Games\", whose closing backslash escapes the quote in argument parsing.
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '"'))
        folder.pop_back();
    return folder;
}

// A GUI program has standard output only when its starter handed one down; it gets UTF-8.
void WriteLine(const std::string& text) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!output || output == INVALID_HANDLE_VALUE)
        return;
    std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
} // namespace

BOOL ChooseDirApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    ChooseDirectoryDialog dialog(nullptr, InitialFolder());
    if (dialog.DoModal() == IDOK) {
        WriteLine(dialog.CurrentPath());
        m_exitCode = 0;
    }
    return FALSE;
}
