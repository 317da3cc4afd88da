// The installer's application object: runs the main window and ends the process with it.
#include "app/InstallerApp.h"

#include <commctrl.h>

#include "app/InstallerDialog.h"

InstallerApp theApp;

BOOL InstallerApp::InitInstance() {
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
