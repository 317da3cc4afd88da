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
} // namespace

void RestoreCommand::Run(HWND owner, const std::string& gameFolder, FileTransfer::Progress* progress) {
    GameBackup backup(gameFolder);
    if (!backup.Load()) {
        ShowMessageBox(owner, FormatText("No original game files are kept in %s.", gameFolder.c_str()),
                       MB_OK | MB_ICONINFORMATION);
        return;
    }
    const BackupList& list = backup.List();
    if (!list.Refused().empty())
        ShowMessageBox(owner,
                       FormatText("%d lines of the backup list %s name no file inside the game folder; they "
                                  "are ignored. The first was: %s",
                                  static_cast<int>(list.Refused().size()), list.Path().c_str(),
                                  Printable(list.Refused().front()).c_str()),
                       MB_OK | MB_ICONEXCLAMATION);
    int kept = 0;
    for (const BackupList::Entry& entry : list.Entries())
        kept += entry.kept;
    int added = static_cast<int>(list.Entries().size()) - kept;
    if (ShowMessageBox(owner,
                       FormatText("Restore the original game files in %s? %d kept files are put back and %d "
                                  "added files are removed.",
                                  gameFolder.c_str(), kept, added),
                       MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    GameBackup::Outcome outcome = backup.Restore(progress);
    if (outcome.failed == 0) {
        ShowMessageBox(owner, "The original game files are back.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    ShowMessageBox(owner,
                   FormatText("%d of %d files could not be restored; the first was %s (error %lu). Nothing "
                              "kept was deleted: close the game and try again.",
                              outcome.failed, outcome.total, outcome.firstFailed.c_str(), outcome.firstError),
                   MB_OK | MB_ICONEXCLAMATION);
}
