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
    // From the question to the end: another window's installation must not add to the list, nor
    // its restore delete what this one has yet to put back.
    if (!m_lock.TryAcquire(gameFolder.c_str())) {
        ShowMessageBox(m_owner, FormatText(GameFolderLock::kBusyText, gameFolder.c_str()),
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    bool confirmed = ConfirmUnderLock();
    if (!confirmed)
        m_lock.Release();
    return confirmed;
}

bool RestoreCommand::ConfirmUnderLock() {
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
    const int refused = static_cast<int>(list.Refused().size());
    if (refused == 1)
        ShowMessageBox(
            m_owner,
            FormatText("1 line of the backup list %s cannot be read: \"%s\". It is not restored; it "
                       "stays in the list, and the files it may name stay in the backup.",
                       list.Path().c_str(), Printable(list.Refused().front()).c_str()),
            MB_OK | MB_ICONEXCLAMATION);
    else if (refused > 1)
        ShowMessageBox(
            m_owner,
            FormatText("%d lines of the backup list %s cannot be read; the first is \"%s\". They are "
                       "not restored; they stay in the list, and the files they may name stay in "
                       "the backup.",
                       refused, list.Path().c_str(), Printable(list.Refused().front()).c_str()),
            MB_OK | MB_ICONEXCLAMATION);
    int kept = 0;
    for (const BackupList::Entry& entry : list.Entries())
        kept += entry.kept;
    int added = static_cast<int>(list.Entries().size()) - kept;
    return ShowMessageBox(m_owner,
                          FormatText("Restore the original game files in %s? %s put back and %s removed.",
                                     gameFolder.c_str(),
                                     CountText(kept, "kept file is", "kept files are").c_str(),
                                     CountText(added, "added file is", "added files are").c_str()),
                          MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void RestoreCommand::Restore(BackgroundWork::Watcher& watcher) {
    RestoreTask restore(m_backup);
    BackgroundWork::Run(restore, watcher, m_owner);
    m_lock.Release();
    // Leaving: what was not restored stays kept, and no one is left to tell.
    if (watcher.WantsStop())
        return;
    const GameBackup::Outcome& outcome = restore.Outcome();
    const std::string& listPath = m_backup.List().Path();
    std::string text;
    if (outcome.failed > 0)
        text =
            FormatText("%d of %d files could not be restored; the first was %s (error %lu). Nothing kept was "
                       "deleted: close the game and try again.",
                       outcome.failed, outcome.total, outcome.firstFailed.c_str(), outcome.firstError);
    if (outcome.listError != ERROR_SUCCESS)
        text +=
            outcome.failed > 0
                ? FormatText(" The backup list %s could not be updated either (error %lu).", listPath.c_str(),
                             outcome.listError)
                : FormatText("The original game files are back, but the backup list %s could not be updated "
                             "(error %lu), so the backup was left as it was. Restoring again is safe.",
                             listPath.c_str(), outcome.listError);
    if (text.empty())
        ShowMessageBox(m_owner, "The original game files are back.", MB_OK | MB_ICONINFORMATION);
    else
        ShowMessageBox(m_owner, text, MB_OK | MB_ICONEXCLAMATION);
}
