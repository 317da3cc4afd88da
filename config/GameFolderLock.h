// One installation or restore per game folder at a time, across processes.
#pragma once

#include "framework/Handles.h"

// A named kernel object, not a lock file: it needs no write access to the game folder, the system
// closes it when its process dies, and a power cut leaves nothing behind that could seem held.
class GameFolderLock {
public:
    // What a window says when it finds the folder taken; %s is the game folder.
    static constexpr const char* kBusyText =
        "Another installation or restore is working on %s. Wait until it has finished, then try again.";

    GameFolderLock() = default;
    ~GameFolderLock() { Release(); }
    GameFolderLock(const GameFolderLock&) = delete;
    GameFolderLock& operator=(const GameFolderLock&) = delete;

    // False when another process, or another lock in this one, holds the folder however its path is
    // spelled (long or short names, letter case, a trailing backslash, a link to it). A folder this
    // lock held before is released first.
    bool TryAcquire(const char* gameFolder);
    void Release() { m_object.reset(); }
    bool Held() const { return static_cast<bool>(m_object); }

private:
    UniqueKernelHandle m_object;
};
