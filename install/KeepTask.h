// Keeping one game file's original, as file work that may run off the window's thread.
#pragma once

#include <string>

#include "framework/BackgroundWork.h"
#include "install/GameBackup.h"

class InstallFrontEnd;

class KeepTask : public BackgroundWork::Task {
public:
    KeepTask(GameBackup& backup, const std::string& name) : m_backup(backup), m_name(name) {}
    DWORD Run(FileTransfer::Progress& progress) override;

    // Keeps the original of the game file `name` as the owner's file work, telling the owner
    // first when an original is really copied (`told` says whether it was). Returns the keep's
    // result: ERROR_CANCELLED when the user is leaving.
    static DWORD KeepFor(InstallFrontEnd& owner, GameBackup& backup, const std::string& name,
                         bool* told = nullptr);

private:
    GameBackup& m_backup;
    const std::string& m_name;
};
