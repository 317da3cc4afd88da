// Keeping one game file's original, as file work that may run off the window's thread.
#include "install/KeepTask.h"

#include "install/InstallFrontEnd.h"

DWORD KeepTask::Run(FileTransfer::Progress& progress) {
    return m_backup.Keep(m_name, &progress);
}

DWORD KeepTask::KeepFor(InstallFrontEnd& owner, GameBackup& backup, const std::string& name, bool* told) {
    const bool copies = backup.WillCopy(name);
    if (copies)
        owner.KeepBegins(name);
    if (told)
        *told = copies;
    KeepTask keep(backup, name);
    DWORD error = owner.RunFileWork(keep);
    // The user left as it got to its end: nothing will change the file, so a line that lists it as
    // added goes again, and the caller stops as if the keep had not been done.
    if (error == ERROR_SUCCESS && owner.Leaving()) {
        backup.TakeBack(name);
        error = ERROR_CANCELLED;
    }
    return error;
}
