// Keeps each game file before an installation changes it, and puts the kept files back.
#include "install/GameBackup.h"

#include <vector>

#include "framework/DiskStep.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "install/RelativeName.h"

namespace {
bool IsGone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Deletes a file of the backup. A read-only one first goes to `aside`, a name no kept copy is ever
// looked for under: cleared where it lies, a crash before the delete would leave an original's copy
// with other attributes, to be taken in again and given to the game file by the next restore. Where
// the aside cannot be had (something of that name is there to stay, another volume), it is cleared
// where it lies all the same: a copy left behind its restore would come back over a later game file.
DWORD RemoveFromBackup(const std::string& path, const std::string& aside) {
    const WideText wide(path);
    DWORD error = DiskStep::Delete(wide.c_str());
    if (error != ERROR_ACCESS_DENIED)
        return error;
    DWORD attributes = DiskStep::On().Attributes(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !(attributes & FILE_ATTRIBUTE_READONLY))
        return error;
    FileTransfer::RemoveLeftover(aside.c_str());
    const bool moved = DiskStep::Move(wide.c_str(), WideText(aside).c_str(), 0) == ERROR_SUCCESS;
    return FileTransfer::RemoveLeftover(moved ? aside.c_str() : path.c_str());
}

// Each file below the folder: taken into the list as kept when it has no line there, or, without
// a list, deleted with every folder (a read-only one by way of `aside`). Links are never followed,
// at any level: a player may have linked the backup itself to a folder on another drive.
void Visit(const std::string& folder, const std::string& prefix, BackupList* list, const std::string& aside) {
    WIN32_FIND_DATAW found;
    DiskStep::Files& files = DiskStep::On();
    UniqueDiskSearch search(files.FindFirst(WideText(folder + "\\*").c_str(), &found));
    for (bool more = static_cast<bool>(search); more; more = files.FindNext(search.get(), &found)) {
        const wchar_t* leaf = found.cFileName;
        if (leaf[0] == L'.' && (leaf[1] == 0 || (leaf[1] == L'.' && leaf[2] == 0)))
            continue;
        const std::string text = Utf8Of(leaf);
        const std::string name = prefix + text;
        const std::string path = folder + "\\" + text;
        const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link) {
            Visit(path, name + "\\", list, aside);
        } else if (!list) {
            // A link to a folder goes as a folder, cleared first: Windows removes no read-only one.
            if (RemoveFromBackup(path, aside) != ERROR_SUCCESS && link) {
                DiskStep::SetAttributes(WideText(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                DiskStep::RemoveFolder(WideText(path).c_str());
            }
        } else if (!link && !list->IsReserved(name) && !list->Find(name)) {
            list->Adopt(name);
        }
    }
    search.reset();
    if (!list)
        DiskStep::RemoveFolder(WideText(folder).c_str());
}

void RemoveFolder(const BackupList& list) {
    const std::string folder = list.BackupFolder();
    DWORD attributes = DiskStep::On().Attributes(WideText(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        DiskStep::RemoveFolder(WideText(folder).c_str());
    else
        Visit(folder, "", nullptr, list.AsidePath());
}
} // namespace

DWORD GameBackup::MakeFoldersFor(const std::string& root, const std::string& name, bool withRoot) {
    for (std::string::size_type slash = withRoot ? 0 : name.find('\\'); slash != std::string::npos;
         slash = name.find('\\', slash + 1)) {
        const std::string folder = slash ? root + "\\" + name.substr(0, slash) : root;
        DWORD error = DiskStep::MakeFolder(WideText(folder).c_str());
        if (error != ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS)
            return error;
    }
    return ERROR_SUCCESS;
}

std::string GameBackup::TemporaryPath() const {
    return m_list.WorkFolder() + "\\copy.new";
}

DWORD GameBackup::MakeWorkFolder() const {
    return MakeFoldersFor(m_list.BackupFolder(), std::string(BackupList::kWorkFolder) + "\\file", true);
}

std::string GameBackup::ListName(const std::string& name) const {
    return RelativeName::LongName(m_list.GameFolder(), name);
}

bool GameBackup::WillCopy(const std::string& requested) {
    const std::string name = ListName(requested);
    std::string gameFile;
    if (!RelativeName::JoinInside(m_list.GameFolder(), name, gameFile) || m_list.IsReserved(name))
        return false;
    DWORD attributes = DiskStep::On().Attributes(WideText(gameFile).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(m_list.Load() && m_list.Find(name)) &&
           DiskStep::On().Attributes(WideText(KeptPath(name)).c_str()) == INVALID_FILE_ATTRIBUTES;
}

DWORD GameBackup::Keep(const std::string& requested, FileTransfer::Progress* progress) {
    m_added.clear();
    const std::string name = ListName(requested);
    std::string gameFile;
    if (!RelativeName::JoinInside(m_list.GameFolder(), name, gameFile) || m_list.IsReserved(name))
        return ERROR_INVALID_NAME;
    if (!m_list.Load() && m_list.LoadError() != ERROR_SUCCESS)
        return m_list.LoadError();
    if (m_list.Find(name))
        return ERROR_SUCCESS;
    // A kept copy is whole by construction: one without a line it can read is listed again, and
    // nothing new is kept over it.
    const std::string kept = KeptPath(name);
    DWORD keptAttributes = DiskStep::On().Attributes(WideText(kept).c_str());
    if (keptAttributes != INVALID_FILE_ATTRIBUTES)
        return (keptAttributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_ALREADY_EXISTS
                                                           : m_list.Append({true, name});
    if (!IsGone(GetLastError()))
        return GetLastError();
    DWORD attributes = DiskStep::On().Attributes(WideText(gameFile).c_str());
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
    DWORD error = MakeFoldersFor(m_list.BackupFolder(), name, true);
    if (error == ERROR_SUCCESS)
        error = MakeWorkFolder();
    if (error == ERROR_SUCCESS && exists)
        error =
            FileTransfer::CopyWhole(gameFile.c_str(), kept.c_str(), TemporaryPath().c_str(), progress, false);
    if (error != ERROR_SUCCESS)
        return error;
    error = m_list.Append({exists, name});
    if (error == ERROR_SUCCESS && !exists)
        m_added = name;
    return error;
}

void GameBackup::TakeBack(const std::string& requested) {
    const std::string name = ListName(requested);
    if (m_added.empty() || !RelativeName::SameName(m_added, name) || !m_list.Load())
        return;
    m_added.clear();
    std::vector<BackupList::Entry> left;
    for (const BackupList::Entry& entry : m_list.Entries()) {
        if (entry.kept || !RelativeName::SameName(entry.name, name))
            left.push_back(entry);
    }
    m_list.Rewrite(left);
}

bool GameBackup::Load() {
    bool loaded = m_list.Load();
    if (m_list.LoadError() != ERROR_SUCCESS || !m_list.Refused().empty())
        return loaded;
    // Lines it cannot read may name any file of the backup; without them, each unlisted copy is an
    // original whose line a crash or an editor took.
    const size_t before = m_list.Entries().size();
    Visit(m_list.BackupFolder(), "", &m_list, "");
    return loaded || m_list.Entries().size() > before;
}

DWORD GameBackup::RestoreOne(const BackupList::Entry& entry, FileTransfer::Progress* progress) {
    std::string gameFile;
    if (!RelativeName::JoinInside(m_list.GameFolder(), entry.name, gameFile))
        return ERROR_INVALID_NAME;
    // A read-only game file (from a CD, or an add-on's) is replaced or removed all the same; the
    // kept copy brings its own attributes back.
    DWORD attributes = DiskStep::On().Attributes(WideText(gameFile).c_str());
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) {
        DWORD writable = attributes & ~FILE_ATTRIBUTE_READONLY;
        DiskStep::SetAttributes(WideText(gameFile).c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL);
    }
    DWORD error = ERROR_SUCCESS;
    if (entry.kept) {
        // A folder the player removed since comes back with the file it held.
        error = MakeWorkFolder();
        if (error == ERROR_SUCCESS &&
            DiskStep::On().Attributes(WideText(KeptPath(entry.name)).c_str()) != INVALID_FILE_ATTRIBUTES)
            error = MakeFoldersFor(m_list.GameFolder(), entry.name, false);
        if (error == ERROR_SUCCESS)
            error = FileTransfer::CopyWhole(KeptPath(entry.name).c_str(), gameFile.c_str(),
                                            TemporaryPath().c_str(), progress);
    } else {
        error = DiskStep::Delete(WideText(gameFile).c_str());
        if (IsGone(error))
            error = ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS && readOnly)
        DiskStep::SetAttributes(WideText(gameFile).c_str(), attributes);
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
        // A kept copy that is not there cannot come back by closing the game.
        const bool missing = entry.kept && DiskStep::On().Attributes(WideText(KeptPath(entry.name)).c_str()) ==
                                               INVALID_FILE_ATTRIBUTES;
        if (missing && outcome.missing++ == 0)
            RelativeName::JoinInside(m_list.GameFolder(), entry.name, outcome.firstMissing);
        if (!missing && outcome.failed++ == 0) {
            RelativeName::JoinInside(m_list.GameFolder(), entry.name, outcome.firstFailed);
            outcome.firstError = error;
        }
        left.push_back(entry);
    }
    // The list changes first: a crash before the kept copies go leaves lines that restore again.
    // Lines it could not read stay in it, so it is empty only when they are none.
    const bool empty = left.empty() && m_list.Refused().empty();
    DWORD error = empty ? DiskStep::Delete(WideText(m_list.Path()).c_str()) : m_list.Rewrite(left);
    if (empty && IsGone(error))
        error = ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) {
        outcome.listError = error;
        return outcome;
    }
    if (empty) {
        RemoveFolder(m_list);
        return outcome;
    }
    // A line it cannot read may name the same file: its copy stays, and is taken in again as kept.
    if (!m_list.Refused().empty())
        return outcome;
    for (const std::string& kept : restored)
        RemoveFromBackup(kept, m_list.AsidePath());
    return outcome;
}
