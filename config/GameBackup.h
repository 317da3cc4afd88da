// Keeps each game file before an installation changes it, and puts the kept files back.
#pragma once

#include <string>

#include "config/BackupList.h"
#include "framework/FileTransfer.h"

class GameBackup {
public:
    explicit GameBackup(const std::string& gameFolder) : m_list(gameFolder) {}

    // Before the game file `name` (relative to the game folder) changes: copies it into the
    // backup, flushed, and only then lists it; a file that is not there yet is listed as added.
    // A listed name keeps its first record. ERROR_SUCCESS when the file may now be changed.
    DWORD Keep(const std::string& name, FileTransfer::Progress* progress);
    // True when Keep would copy an original: the game file `name` is there and not kept yet.
    bool WillCopy(const std::string& name);

    struct Outcome {
        int total = 0;
        int failed = 0;
        std::string firstFailed; // the game file
        DWORD firstError = ERROR_SUCCESS;
        // The list could not be brought up to date: it and every kept copy stay as they were.
        DWORD listError = ERROR_SUCCESS;
    };
    // Puts back every listed file. A line and its kept copy go only after their own restore
    // succeeded; lines the list could not read stay as they are, with all the backup holds. The
    // backup folder goes only when the list is left empty. Call Load first, under the game
    // folder's lock.
    Outcome Restore(FileTransfer::Progress* progress);

    bool Load() { return m_list.Load(); }
    const BackupList& List() const { return m_list; }

private:
    // Names are listed in their long form with backslashes, however install.ini writes them.
    std::string ListName(const std::string& name) const;
    std::string KeptPath(const std::string& name) const { return m_list.BackupFolder() + "\\" + name; }
    DWORD MakeFoldersFor(const std::string& name) const;
    DWORD RestoreOne(const BackupList::Entry& entry, FileTransfer::Progress* progress);

    BackupList m_list;
};
