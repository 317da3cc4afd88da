// The backup's list of kept and added game files, one "kept NAME" or "added NAME" line each.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class BackupList {
public:
    static constexpr const char* kFolderName = "KSInstaller Backup";
    static constexpr const char* kFileName = "KSInstaller Backup.txt";
    // Where an earlier version wrote a new list before it replaced the old one: a crash may have
    // left it, so it is no game file's kept copy. A read-only file of the backup goes there to be
    // cleared and deleted.
    static constexpr const char* kTemporaryName = "KSInstaller.new";
    // The backup's own scratch folder: every file being written lives there until it is whole,
    // where no game file's name can reach it.
    static constexpr const char* kWorkFolder = "KSInstaller Work";

    struct Entry {
        bool kept; // else added: there was no file before, so a restore removes it
        std::string name;
    };

    explicit BackupList(const std::string& gameFolder);

    // Reads the list; false when there is none or it cannot be read whole (then LoadError says
    // why, also when the backup folder is there but cannot be reached). Each line is read by
    // itself: one that is torn, unknown or names a file outside the game folder is refused (never
    // restored or deleted) and changes nothing of how the others read.
    bool Load();
    DWORD LoadError() const { return m_loadError; }
    // The backup folder is there, but what it leads to is not (a drive that is not connected).
    bool Unreachable() const { return m_unreachable; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The refused lines as they were read, without their line ends.
    const std::vector<std::string>& Refused() const { return m_refused; }
    // The entry for the game file `name`, however the name or the list spells it.
    const Entry* Find(const std::string& name) const;
    // Takes a kept copy that has no line into this reading of the list, as kept.
    void Adopt(const std::string& name);

    // Adds a line at the list's real end and flushes it to disk before returning; the lines there
    // stay as they are, and one without its line end stays last.
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
    std::string WorkFolder() const { return BackupFolder() + "\\" + kWorkFolder; }
    std::string AsidePath() const { return BackupFolder() + "\\" + kTemporaryName; }
    const std::string& Path() const { return m_path; }

private:
    // One line as read: entry or refused.
    void Read(const std::string& bytes, const std::string& ending);
    // The whole list replaced by text in one step, through a flushed temporary file.
    DWORD Replace(const std::string& text) const;

    std::string m_gameFolder;
    std::string m_path;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_refused;
    // The refused lines with their own line ends, written back as they came; the last one read
    // may have none (a crash tore it), so it stays last and nothing completes it into a name.
    std::string m_refusedBytes;
    DWORD m_loadError = ERROR_SUCCESS;
    bool m_unreachable = false;
};
