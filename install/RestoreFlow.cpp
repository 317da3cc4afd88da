// The order of a restore, whoever it runs for: what is kept, the question, putting it back.
#include "install/RestoreFlow.h"

#include "framework/TextFormat.h"
#include "framework/Utf8.h"
#include "install/GameBackup.h"
#include "install/InstallFlow.h"
#include "install/InstallFrontEnd.h"

namespace {
using Tone = InstallFrontEnd::Tone;

// A refused line may be any bytes: shown short and printable, a name in any script as it is.
std::string Printable(std::string line) {
    const bool text = IsUtf8(line.data(), line.size());
    line = text ? CutToCharacters(line, 80) : line.substr(0, 80);
    for (char& c : line) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127 || (byte > 127 && !text))
            c = '?';
    }
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
        m_face.Say("Choose an existing game folder before restoring.", Tone::Notice);
        return Result::NoFolder;
    }
    // From the question to the end: another installation must not add to the list, nor another
    // restore delete what this one has yet to put back.
    if (!m_lock.TryAcquire(gameFolder.c_str())) {
        m_face.Say(m_lock.RefusalText(gameFolder), Tone::Warning);
        return m_lock.Refusal() == ERROR_BUSY ? Result::Busy : Result::NoFolder;
    }
    GameBackup backup(gameFolder);
    Result confirmed = Confirm(backup);
    if (confirmed != Result::Restored) {
        m_lock.Release();
        return confirmed;
    }
    m_face.WorkBegins("Putting back the original game files...");
    RestoreTask restore(backup);
    DWORD error = m_face.RunFileWork(restore);
    m_lock.Release();
    // Leaving: what was not restored stays kept, and no one is left to tell.
    if (error == ERROR_CANCELLED || m_face.Leaving())
        return Result::Stopped;
    const GameBackup::Outcome& outcome = restore.Outcome();
    const std::string& listPath = backup.List().Path();
    std::string text;
    if (outcome.failed > 0)
        text = FormatText(" %d of %d files could not be restored; the first was %s (error %lu). Nothing kept "
                          "was deleted: close the game and try again.",
                          outcome.failed, outcome.total, outcome.firstFailed.c_str(), outcome.firstError);
    if (outcome.missing > 0)
        text +=
            FormatText(" Files whose kept copy is not in the backup cannot be restored: %d, the first %s.",
                       outcome.missing, outcome.firstMissing.c_str());
    if (outcome.listError != ERROR_SUCCESS)
        text += !text.empty()
                    ? FormatText(" The backup list %s could not be updated either (error %lu).",
                                 listPath.c_str(), outcome.listError)
                    : FormatText(
                          " The original game files are back, but the backup list %s could not be "
                          "updated (error %lu), so the backup was left as it was. Restoring again is safe.",
                          listPath.c_str(), outcome.listError);
    if (!text.empty()) {
        // The parts start with a blank, so that each may stand alone.
        m_face.Say(text.substr(text[0] == ' '), Tone::Warning);
        return Result::Incomplete;
    }
    // Lines the list could not read stay in it, with what they may name: not everything is back.
    if (!backup.List().Refused().empty()) {
        m_face.Say(
            FormatText("The files the backup list names are back. The lines it cannot read stay in %s, "
                       "with the files they may name.",
                       listPath.c_str()),
            Tone::Warning);
        return Result::Incomplete;
    }
    m_face.Say("The original game files are back.", Tone::Information);
    return Result::Restored;
}

RestoreFlow::Result RestoreFlow::Confirm(GameBackup& backup) {
    const std::string& gameFolder = backup.List().GameFolder();
    if (!backup.Load()) {
        // A list that is there but unreadable is no "nothing kept": the user must hear why.
        if (backup.List().Unreachable()) {
            m_face.Say(
                FormatText("The backup folder %s cannot be reached: connect the drive it leads to and try "
                           "again. Nothing was restored.",
                           backup.List().BackupFolder().c_str()),
                Tone::Warning);
            return Result::Incomplete;
        }
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
    const int refused = static_cast<int>(list.Refused().size());
    if (refused == 1)
        m_face.Say(FormatText("1 line of the backup list %s cannot be read: \"%s\". It is not restored; it "
                              "stays in the list, and the files it may name stay in the backup.",
                              list.Path().c_str(), Printable(list.Refused().front()).c_str()),
                   Tone::Warning);
    else if (refused > 1)
        m_face.Say(FormatText("%d lines of the backup list %s cannot be read; the first is \"%s\". They are "
                              "not restored; they stay in the list, and the files they may name stay in "
                              "the backup.",
                              refused, list.Path().c_str(), Printable(list.Refused().front()).c_str()),
                   Tone::Warning);
    int kept = 0;
    for (const BackupList::Entry& entry : list.Entries())
        kept += entry.kept;
    int added = static_cast<int>(list.Entries().size()) - kept;
    bool accepted =
        m_face.Say(FormatText("Restore the original game files in %s? %s put back and %s removed.",
                              gameFolder.c_str(), CountText(kept, "kept file is", "kept files are").c_str(),
                              CountText(added, "added file is", "added files are").c_str()),
                   Tone::Question);
    return accepted ? Result::Restored : Result::Declined;
}
