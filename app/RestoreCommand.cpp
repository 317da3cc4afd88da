// The system menu's restore command: asks first, puts the kept game files back, tells the outcome.
#include "app/RestoreCommand.h"

#include "config/GameBackup.h"
#include "framework/MessageBoxes.h"
#include "framework/TextFormat.h"

namespace {
// A refused line may be any bytes: shown short and printable.
std::string Printable(std::string line) {
    if (line.size() > 80)
        line.resize(80);
    for (char& c : line)
        c = static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126 ? '?' : c;
    return line;
}
class RestoreTask : public BackgroundWork::Task {
public:
    explicit RestoreTask(GameBackup& backup) : m_backup(backup) {}
    DWORD Run(FileTransfer::Progress& progress) override {
        m_outcome = m_backup.Restore(&progress);
        return ERROR_SUCCESS;
    }
    const GameBackup::Outcome& Outcome() const { return m_outcome; }

private:
    GameBackup& m_backup;
    GameBackup::Outcome m_outcome;
};
} // namespace

bool RestoreCommand::Confirm() {
    const std::string& gameFolder = m_backup.List().GameFolder();
    if (!m_backup.Load()) {
        // A list that is there but unreadable is no "nothing kept": the user must hear why.
        if (DWORD error = m_backup.List().LoadError()) {
            ShowMessageBox(m_owner,
                           FormatText("The backup list %s cannot be read (error %lu). Nothing was restored.",
                                      m_backup.List().Path().c_str(), error),
                           MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        ShowMessageBox(m_owner, FormatText("No original game files are kept in %s.", gameFolder.c_str()),
                       MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const BackupList& list = m_backup.List();
    if (!list.Refused().empty())
        ShowMessageBox(m_owner,
                       FormatText("%d lines of the backup list %s name no file inside the game folder; they "
                                  "are ignored. The first was: %s",
                                  static_cast<int>(list.Refused().size()), list.Path().c_str(),
                                  Printable(list.Refused().front()).c_str()),
                       MB_OK | MB_ICONEXCLAMATION);
    int kept = 0;
    for (const BackupList::Entry& entry : list.Entries())
        kept += entry.kept;
    int added = static_cast<int>(list.Entries().size()) - kept;
    return ShowMessageBox(m_owner,
                          FormatText("Restore the original game files in %s? %d kept files are put back and "
                                     "%d added files are removed.",
                                     gameFolder.c_str(), kept, added),
                          MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void RestoreCommand::Restore(BackgroundWork::Watcher& watcher) {
    RestoreTask restore(m_backup);
    BackgroundWork::Run(restore, watcher, m_owner);
    // Leaving: what was not restored stays kept, and no one is left to tell.
    if (watcher.WantsStop())
        return;
    const GameBackup::Outcome& outcome = restore.Outcome();
    if (outcome.failed == 0) {
        ShowMessageBox(m_owner, "The original game files are back.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    ShowMessageBox(m_owner,
                   FormatText("%d of %d files could not be restored; the first was %s (error %lu). Nothing "
                              "kept was deleted: close the game and try again.",
                              outcome.failed, outcome.total, outcome.firstFailed.c_str(), outcome.firstError),
                   MB_OK | MB_ICONEXCLAMATION);
}
