// One installation or restore per game folder at a time, across processes and computers.
#pragma once

#include <string>

#include "framework/Handles.h"

// A file in the game folder itself (KSInstaller.lock, beside the game's own files and never in the
// backup; no game names a file after this program), opened without sharing and deleted when closed: every spelling
// of the folder (drive, share, substituted drive, short names, letter case) and every computer that
// shares it meet the same file, and the system deletes it when its process dies in any way. A pack
// tool outlives the installer that started it: its log, held open by the batch's redirection until
// the tool ends, keeps the folder busy meanwhile.
class GameFolderLock {
public:
    static constexpr const wchar_t* kFileName = L"KSInstaller.lock";
    // What a window says when it finds the folder taken; %s is the game folder.
    static constexpr const char* kBusyText =
        "Another installation or restore is working on %s. Wait until it has finished, then try again.";
    // When the lock file cannot be made for another reason; the game folder, the error.
    static constexpr const char* kNoLockText =
        "The game folder %s cannot be locked: its lock file KSInstaller.lock cannot be created there "
        "(error %lu). Nothing was changed. Check that the folder can be written to and holds nothing "
        "else of that name, then try again.";

    GameFolderLock() = default;
    ~GameFolderLock() { Release(); }
    GameFolderLock(const GameFolderLock&) = delete;
    GameFolderLock& operator=(const GameFolderLock&) = delete;

    // False when another process, another computer or another lock in this one holds the folder,
    // when a pack tool still works on it, or when the lock file cannot be made (Refusal says which).
    // A folder this lock held before is released first.
    bool TryAcquire(const char* gameFolder);
    void Release() { m_file.reset(); }
    bool Held() const { return static_cast<bool>(m_file); }
    // Why the last TryAcquire failed: ERROR_BUSY for a folder at work, else the system's error.
    DWORD Refusal() const { return m_refusal; }
    // The text for the user after a failed TryAcquire on gameFolder.
    std::string RefusalText(const std::string& gameFolder) const;

private:
    UniqueFileHandle m_file;
    DWORD m_refusal = ERROR_SUCCESS;
};
