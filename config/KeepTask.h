// Keeping one game file's original, as file work that may run off the window's thread.
#pragma once

#include <string>

#include "config/GameBackup.h"
#include "framework/BackgroundWork.h"

class KeepTask : public BackgroundWork::Task {
public:
    KeepTask(GameBackup& backup, const std::string& name) : m_backup(backup), m_name(name) {}
    DWORD Run(FileTransfer::Progress& progress) override;

private:
    GameBackup& m_backup;
    const std::string& m_name;
};
