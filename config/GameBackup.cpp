// Keeps each game file before an installation changes it, and puts the kept files back.
#include "config/GameBackup.h"

#include <vector>

#include "config/RelativeName.h"
#include "framework/Handles.h"

namespace {
bool IsGone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Deletes what is below the folder and the folder itself. Links are removed, never followed, at
// any level: a player may have linked the backup itself to a folder on another drive.
void RemoveFolder(const std::string& folder) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveDirectoryA(folder.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (search) {
        do {
            std::string name = found.cFileName;
            std::string path = folder + "\\" + name;
            if (name == "." || name == "..")
                continue;
            bool folderLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !folderLink) {
                RemoveFolder(path);
                continue;
            }
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileA(path.c_str()))
                RemoveDirectoryA(path.c_str());
        } while (FindNextFileA(search.get(), &found));
    }
    search.reset();
    RemoveDirectoryA(folder.c_str());
}
} // namespace

DWORD GameBackup::MakeFoldersFor(const std::string& name) const {
    std::string folder = m_list.BackupFolder();
    for (std::string::size_type at = 0;; ++at) {
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return GetLastError();
        std::string::size_type slash = name.find('\\', at);
        if (slash == std::string::npos)
            return ERROR_SUCCESS;
        folder = KeptPath(name.substr(0, slash));
        at = slash;
    }
}

std::string GameBackup::ListName(const std::string& name) const {
    return RelativeName::LongName(m_list.GameFolder(), name);
}

bool GameBackup::WillCopy(const std::string& requested) {
    const std::string name = ListName(requested);
    std::string gameFile;
    if (!RelativeName::JoinInside(m_list.GameFolder(), name, gameFile) || m_list.IsReserved(name))
        return false;
    DWORD attributes = GetFileAttributesA(gameFile.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(m_list.Load() && m_list.Find(name));
}

DWORD GameBackup::Keep(const std::string& requested, FileTransfer::Progress* progress) {
    const std::string name = ListName(requested);
    std::string gameFile;
    if (!RelativeName::JoinInside(m_list.GameFolder(), name, gameFile) || m_list.IsReserved(name))
        return ERROR_INVALID_NAME;
    if (!m_list.Load() && m_list.LoadError() != ERROR_SUCCESS)
        return m_list.LoadError();
    if (m_list.Find(name))
        return ERROR_SUCCESS;
    DWORD attributes = GetFileAttributesA(gameFile.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) {
        DWORD error = GetLastError();
        // No folder for it: the copy fails as it always did and nothing is added.
        if (error == ERROR_PATH_NOT_FOUND)
            return ERROR_SUCCESS;
        if (error != ERROR_FILE_NOT_FOUND)
            return error;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return ERROR_SUCCESS; // a folder is never replaced by a file copy
    }
    DWORD error = MakeFoldersFor(name);
    if (error != ERROR_SUCCESS)
        return error;
    if (exists) {
        // A copy without its line is left from a crash: it is simply written over.
        const std::string kept = KeptPath(name);
        SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
        error = FileTransfer::CopyWhole(gameFile.c_str(), kept.c_str(), progress);
        if (error != ERROR_SUCCESS)
            return error;
    }
    return m_list.Append({exists, name});
}

DWORD GameBackup::RestoreOne(const BackupList::Entry& entry, FileTransfer::Progress* progress) {
    std::string gameFile;
    if (!RelativeName::JoinInside(m_list.GameFolder(), entry.name, gameFile))
        return ERROR_INVALID_NAME;
    // A read-only game file (from a CD, or an add-on's) is replaced or removed all the same; the
    // kept copy brings its own attributes back.
    DWORD attributes = GetFileAttributesA(gameFile.c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) {
        DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
        SetFileAttributesA(gameFile.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL);
    }
    DWORD error = ERROR_SUCCESS;
    if (entry.kept) {
        error = FileTransfer::CopyWhole(KeptPath(entry.name).c_str(), gameFile.c_str(), progress);
    } else {
        // A crash while the file was being copied in may have left its beginnings beside it.
        FileTransfer::RemoveLeftover(gameFile.c_str());
        if (!DeleteFileA(gameFile.c_str()) && !IsGone(GetLastError()))
            error = GetLastError();
    }
    if (error != ERROR_SUCCESS && readOnly)
        SetFileAttributesA(gameFile.c_str(), attributes);
    return error;
}

GameBackup::Outcome GameBackup::Restore(FileTransfer::Progress* progress) {
    Outcome outcome;
    std::vector<BackupList::Entry> left;
    std::vector<std::string> restored;
    bool stopped = false;
    for (const BackupList::Entry& entry : m_list.Entries()) {
        ++outcome.total;
        // Once stopped (the user is leaving), the rest stays listed for the next restore.
        DWORD error = stopped ? ERROR_CANCELLED : RestoreOne(entry, progress);
        stopped = error == ERROR_CANCELLED;
        if (error == ERROR_SUCCESS) {
            if (entry.kept)
                restored.push_back(KeptPath(entry.name));
            continue;
        }
        if (outcome.failed++ == 0) {
            RelativeName::JoinInside(m_list.GameFolder(), entry.name, outcome.firstFailed);
            outcome.firstError = error;
        }
        left.push_back(entry);
    }
    // The list changes first: a crash before the kept copies go leaves lines that restore again.
    // Lines it could not read stay in it, so it is empty only when they are none.
    const bool empty = left.empty() && m_list.Refused().empty();
    DWORD error =
        empty ? (DeleteFileA(m_list.Path().c_str()) ? ERROR_SUCCESS : GetLastError()) : m_list.Rewrite(left);
    if (error != ERROR_SUCCESS) {
        outcome.listError = error;
        return outcome;
    }
    if (empty) {
        RemoveFolder(m_list.BackupFolder());
        return outcome;
    }
    for (const std::string& kept : restored) {
        SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kept.c_str());
    }
    return outcome;
}
