// The backup's list of kept and added game files, one "kept NAME" or "added NAME" line each.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class BackupList {
public:
    static constexpr const char* kFolderName = "KSInstaller Backup";
    static constexpr const char* kFileName = "KSInstaller Backup.txt";

    struct Entry {
        bool kept; // else added: there was no file before, so a restore removes it
        std::string name;
    };

    explicit BackupList(const std::string& gameFolder);

    // Reads the list; false when there is none or it cannot be read whole (then LoadError says
    // why). A line that is torn, unknown or names a file outside the game folder is refused:
    // never restored or deleted.
    bool Load();
    DWORD LoadError() const { return m_loadError; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::vector<std::string>& Refused() const { return m_refused; }
    const Entry* Find(const std::string& name) const;

    // Adds a line and flushes it to disk before returning.
    DWORD Append(const Entry& entry);
    // Replaces the list in one step with these entries.
    DWORD Rewrite(const std::vector<Entry>& entries);

    // Names the backup uses for itself: never kept, restored or deleted as game files.
    static bool IsReserved(const std::string& name);

    const std::string& GameFolder() const { return m_gameFolder; }
    std::string BackupFolder() const { return m_gameFolder + "\\" + kFolderName; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_gameFolder;
    std::string m_path;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_refused;
    DWORD m_loadError = ERROR_SUCCESS;
    // Up to the end of the last whole line: an append cuts off what a crash left after it.
    LONGLONG m_wholeLength = 0;
};
