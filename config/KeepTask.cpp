// Keeping one game file's original, as file work that may run off the window's thread.
#include "config/KeepTask.h"

DWORD KeepTask::Run(FileTransfer::Progress& progress) {
    return m_backup.Keep(m_name, &progress);
}
