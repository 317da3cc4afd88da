// The system menu's restore command: asks first, puts the kept game files back, tells the outcome.
#pragma once

#include <windows.h>

#include <string>

#include "config/GameBackup.h"
#include "config/GameFolderLock.h"
#include "framework/BackgroundWork.h"

class RestoreCommand {
public:
    // Boxes are owned by `owner`.
    RestoreCommand(HWND owner, const std::string& gameFolder) : m_owner(owner), m_backup(gameFolder) {}

    // Takes the game folder's lock, or says who has it; then reads the list, tells when nothing is
    // kept, reports the lines it cannot read and asks first. True for OK, and the lock is held
    // until Restore has ended.
    bool Confirm();
    // Puts the kept files back while the owner's messages go on being handled; `watcher` hears
    // the progress and may stop it. Then tells the outcome, unless the user is leaving.
    void Restore(BackgroundWork::Watcher& watcher);

private:
    bool ConfirmUnderLock();

    HWND m_owner;
    GameBackup m_backup;
    GameFolderLock m_lock;
};
