// The order of a restore, whoever it runs for: what is kept, the question, putting it back.
#pragma once

#include <string>

#include "install/GameFolderLock.h"

class GameBackup;
class InstallFrontEnd;

class RestoreFlow {
public:
    enum class Result {
        Restored,    // every kept file is back and every added file gone
        NothingKept, // there was nothing to restore
        Incomplete,  // some files could not be put back, or the list could not be read whole
        Declined,    // the question was answered with Cancel
        NoFolder,    // no existing game folder, or none its lock can be made in: nothing was done
        Busy,        // another installation or restore holds the game folder: nothing was done
        Stopped,     // the user is leaving: nothing more was said
    };

    explicit RestoreFlow(InstallFrontEnd& face) : m_face(face) {}

    // Says what is kept and asks first; then puts the kept files back and tells the outcome.
    Result Restore(const std::string& gameFolder);

    // True when the game files were worked on.
    static bool Worked(Result result) { return result == Result::Restored || result == Result::Incomplete; }

private:
    // Reads the list, tells when nothing is kept, reports the lines it cannot read and asks;
    // Restored means go on.
    Result Confirm(GameBackup& backup);

    InstallFrontEnd& m_face;
    GameFolderLock m_lock;
};
