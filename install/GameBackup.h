// Keeps each game file before an installation changes it, and puts the kept files back.
#pragma once

#include <string>

#include "framework/FileTransfer.h"
#include "install/BackupList.h"

class GameBackup {
public:
    explicit GameBackup(const std::string& gameFolder) : m_list(gameFolder) {}

    // Before the game file `name` (relative to the game folder) changes: copies it into the
    // backup, flushed, and only then lists it; a file that is not there yet is listed as added.
    // The files in the backup are the truth and the list their index: a listed name keeps its
    // first record, and a kept copy that has no readable line is listed again, never written
    // over. ERROR_SUCCESS when the file may now be changed.
    DWORD Keep(const std::string& name, FileTransfer::Progress* progress);
    // True when Keep would copy an original: the game file `name` is there and not kept yet.
    bool WillCopy(const std::string& name);
    // The game file `name` could not be put in place after Keep listed it as added: its line goes
    // again, so no restore deletes a file of that name that comes later.
    void TakeBack(const std::string& name);
    // Where a file bound for the game folder is written before it is whole.
    std::string TemporaryPath() const;

    struct Outcome {
        int total = 0;
        int failed = 0;          // for a reason a retry may mend
        std::string firstFailed; // the game file
        DWORD firstError = ERROR_SUCCESS;
        // The list could not be brought up to date: it and every kept copy stay as they were.
        DWORD listError = ERROR_SUCCESS;
        // Files not restored because their kept copy is not in the backup (no retry brings them
        // back); not counted in failed.
        int missing = 0;
        std::string firstMissing;
    };
    // Puts back every listed file. A line and its kept copy go only after their own restore
    // succeeded; lines the list could not read stay as they are, with all the backup holds. The
    // backup folder goes only when the list is left empty. Call Load first, under the game
    // folder's lock.
    Outcome Restore(FileTransfer::Progress* progress);

    // Reads the list; when it holds no line it cannot read, every kept copy it does not name
    // (what a crash left between a copy and its line) is taken in as kept.
    bool Load();
    const BackupList& List() const { return m_list; }

private:
    // Names are listed in their long form with backslashes, however install.ini writes them.
    std::string ListName(const std::string& name) const;
    std::string KeptPath(const std::string& name) const { return m_list.BackupFolder() + "\\" + name; }
    // The folders `name` lies in below `root` (and `root` itself withRoot), made where missing.
    static DWORD MakeFoldersFor(const std::string& root, const std::string& name, bool withRoot);
    DWORD MakeWorkFolder() const;
    DWORD RestoreOne(const BackupList::Entry& entry, FileTransfer::Progress* progress);

    BackupList m_list;
    // The name the last Keep listed as added, for TakeBack.
    std::string m_added;
};
