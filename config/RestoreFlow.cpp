// The order of a restore, whoever it runs for: what is kept, the question, putting it back.
#include "config/RestoreFlow.h"

#include "config/GameBackup.h"
#include "config/InstallFlow.h"
#include "framework/TextFormat.h"
#include "pack/InstallFrontEnd.h"

namespace {
using Tone = InstallFrontEnd::Tone;

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

RestoreFlow::Result RestoreFlow::Restore(const std::string& gameFolder) {
    if (!InstallFlow::IsFolder(gameFolder)) {
        m_face.ShowNotice("Choose an existing game folder before restoring.", true);
        return Result::NoFolder;
    }
    if (!HoldFolder(gameFolder))
        return Result::Busy;
    GameBackup backup(gameFolder);
    Result confirmed = Confirm(backup);
    if (confirmed != Result::Restored) {
        ReleaseFolder();
        return confirmed;
    }
    m_face.WorkBegins("Putting back the original game files...");
    RestoreTask restore(backup);
    DWORD error = m_face.RunFileWork(restore);
    ReleaseFolder();
    // Leaving: what was not restored stays kept, and no one is left to tell.
    if (error == ERROR_CANCELLED || m_face.Leaving())
        return Result::Stopped;
    const GameBackup::Outcome& outcome = restore.Outcome();
    if (outcome.failed == 0) {
        m_face.Say("The original game files are back.", Tone::Information);
        return backup.List().Refused().empty() ? Result::Restored : Result::Incomplete;
    }
    m_face.Say(FormatText("%d of %d files could not be restored; the first was %s (error %lu). Nothing "
                          "kept was deleted: close the game and try again.",
                          outcome.failed, outcome.total, outcome.firstFailed.c_str(), outcome.firstError),
               Tone::Warning);
    return Result::Incomplete;
}

RestoreFlow::Result RestoreFlow::Confirm(GameBackup& backup) {
    const std::string& gameFolder = backup.List().GameFolder();
    if (!backup.Load()) {
        // A list that is there but unreadable is no "nothing kept": the user must hear why.
        if (DWORD error = backup.List().LoadError()) {
            m_face.Say(FormatText("The backup list %s cannot be read (error %lu). Nothing was restored.",
                                  backup.List().Path().c_str(), error),
                       Tone::Warning);
            return Result::Incomplete;
        }
        m_face.Say(FormatText("No original game files are kept in %s.", gameFolder.c_str()),
                   Tone::Information);
        return Result::NothingKept;
    }
    const BackupList& list = backup.List();
    if (!list.Refused().empty())
        m_face.Say(FormatText("%d lines of the backup list %s name no file inside the game folder; they "
                              "are ignored. The first was: %s",
                              static_cast<int>(list.Refused().size()), list.Path().c_str(),
                              Printable(list.Refused().front()).c_str()),
                   Tone::Warning);
    int kept = 0;
    for (const BackupList::Entry& entry : list.Entries())
        kept += entry.kept;
    int added = static_cast<int>(list.Entries().size()) - kept;
    bool accepted = m_face.Say(FormatText("Restore the original game files in %s? %d kept files are put back "
                                          "and %d added files are removed.",
                                          gameFolder.c_str(), kept, added),
                               Tone::Question);
    return accepted ? Result::Restored : Result::Declined;
}

bool RestoreFlow::HoldFolder(const std::string&) {
    return true;
}

void RestoreFlow::ReleaseFolder() {}
