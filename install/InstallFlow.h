// The order of an installation, whoever it runs for: check, copy, keep, pack, and the outcome.
#pragma once

#include <string>

#include "install/GameFolderLock.h"

class InstallFrontEnd;
class InstallSettings;
class PackRun;

class InstallFlow {
public:
    enum class Result {
        Installed,  // every listed file copied; packed, or nothing was to be packed
        FileFailed, // a listed file could not be copied or kept; the others went on
        PackFailed, // packing failed: inputs missing or refused, not launched, or the tool failed
        NoFolder,   // no existing game folder, or none its lock can be made in: nothing was done
        Busy,       // another installation or restore holds the game folder: nothing was done
        Launched,   // the pack run goes on; its outcome comes through PackEnded
        Stopped,    // the user is leaving: nothing more was done or said
    };

    static constexpr const char* kInstallDone = "Install done.";

    InstallFlow(InstallSettings& settings, InstallFrontEnd& face) : m_settings(settings), m_face(face) {}

    // Copies the listed files into the game folder, each original kept first, then launches the
    // pack run. Every problem is told to the front end, and the copying goes on past it; when the
    // pack run's archives or tool are missing or refused, nothing is copied at all.
    Result Install(const std::string& gameFolder);
    // The run's watcher counted okCount sources that reported OK: tells the outcome.
    Result PackEnded(const PackRun& run, int okCount);
    // For a front end without a window: waits for the run's verdict, then as PackEnded.
    Result Watch(PackRun& run);

    // An existing folder, not a file.
    static bool IsFolder(const std::string& path);
    // Takes the game folder for one installation, from its first kept file to its outcome; tells
    // the front end and returns false when another installation or restore is working on it, or
    // when its lock cannot be made there.
    bool LockFolder(const std::string& gameFolder);
    // Held while an installation's outcome is not known.
    bool HoldsFolder() const { return m_lock.Held(); }

private:
    // The outcome when no pack run was launched.
    Result EndedUnlaunched();
    // The status once installed: how many listed files could not be copied, if any.
    std::string InstalledText() const;

    // The pack job with the settings' archives; the game archive is kept first, as file work of
    // the front end's.
    bool RunPackJob();
    // What the pack job checks of its archives and tool before anything is changed; tells the
    // front end of each that fails, in the pack job's words.
    bool PackInputsAreThere();

    InstallSettings& m_settings;
    InstallFrontEnd& m_face;
    GameFolderLock m_lock;
    int m_listed = 0;
    int m_notCopied = 0;
};
