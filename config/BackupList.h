// The backup's list of kept and added game files, one "kept NAME" or "added NAME" line each.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class BackupList {
public:
    static constexpr const char* kFolderName = "KSInstaller Backup";
    static constexpr const char* kFileName = "KSInstaller Backup.txt";
    // Where a new list is written before it replaces the old one in one step. Shorter than the
    // list's own name, so it fits wherever the list does.
    static constexpr const char* kTemporaryName = "KSInstaller.new";

    struct Entry {
        bool kept; // else added: there was no file before, so a restore removes it
        std::string name;
    };

    explicit BackupList(const std::string& gameFolder);

    // Reads the list; false when there is none or it cannot be read whole (then LoadError says
    // why). A line that is torn, unknown or names a file outside the game folder is refused:
    // never restored or deleted, and kept as it is by Rewrite.
    bool Load();
    DWORD LoadError() const { return m_loadError; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The refused lines as they were read, without their line ends.
    const std::vector<std::string>& Refused() const { return m_refused; }
    // The entry for the game file `name`, however the name or the list spells it.
    const Entry* Find(const std::string& name) const;

    // Adds a line at the list's real end and flushes it to disk before returning.
    DWORD Append(const Entry& entry);
    // Replaces the list in one step with these entries, followed word for word by the lines the
    // last Load refused.
    DWORD Rewrite(const std::vector<Entry>& entries);

    // Names the backup uses for itself, or whose kept copy would be some other file of the backup:
    // never kept, restored or deleted as game files. Compared in their long form, so no short name
    // or spelling slips past.
    bool IsReserved(const std::string& name) const;

    const std::string& GameFolder() const { return m_gameFolder; }
    std::string BackupFolder() const { return m_gameFolder + "\\" + kFolderName; }
    const std::string& Path() const { return m_path; }

private:
    void Add(const Entry& entry);

    std::string m_gameFolder;
    std::string m_path;
    std::vector<Entry> m_entries;
    // Each entry's name as the disk names it today, which Find compares.
    std::vector<std::string> m_longNames;
    std::vector<std::string> m_refused;
    // The last refused line had no line end: a crash tore it. Rewrite keeps it last and unended,
    // so that nothing completes it into a name.
    bool m_torn = false;
    DWORD m_loadError = ERROR_SUCCESS;
};
