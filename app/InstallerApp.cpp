// The installer's application object: runs the main window, or a scripted run, and ends the process.
#include "app/InstallerApp.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "app/InstallerDialog.h"
#include "app/SilentRun.h"
#include "framework/MessageBoxes.h"
#include "framework/RunLog.h"
#include "framework/Utf8.h"

InstallerApp theApp;

BOOL InstallerApp::InitInstance() {
    CommandLine line = CommandLine::Parse(InstallSettings::ArgumentsFromCommandLine(Utf8Of(GetCommandLineW())));
    if (!line.IsEmpty()) {
        m_exitCode = RunScripted(line);
        return FALSE;
    }
    // Visual styles come from the manifest; the folder chooser's list view and the main window's
    // progress bar need their classes too.
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    InstallerDialog dialog(nullptr);
    SetMainWindow(&dialog);
    dialog.DoModal();
    SetMainWindow(nullptr);
    return FALSE;
}

int InstallerApp::RunScripted(const CommandLine& line) {
    std::string usage = CommandLine::Usage(ApplicationName() + ".exe");
    if (!line.m_silent) {
        bool error = !line.m_error.empty();
        ShowMessageBox(nullptr, error ? line.m_error + "\r\n\r\n" + usage : usage,
                       MB_OK | (error ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
        return SilentRun::kBadCommandLine;
    }
    RunLog log;
    if (line.m_error.empty() && !line.m_usage)
        return SilentRun(line, log).Run();
    // Never a box under /S, and no log file: a line not understood may name the wrong one, or two.
    if (!line.m_error.empty())
        log.ToConsole(line.m_error + "\r\n");
    log.ToConsole(usage + "\r\n");
    return SilentRun::kBadCommandLine;
}
