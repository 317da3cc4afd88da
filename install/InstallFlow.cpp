// The order of an installation, whoever it runs for: check, copy, keep, pack, and the outcome.
#include "config/InstallFlow.h"

#include <windows.h>

#include "config/FileCopier.h"
#include "config/InstallSettings.h"
#include "framework/TextFormat.h"
#include "framework/WideText.h"
#include "pack/InstallFrontEnd.h"
#include "pack/PackRun.h"

bool InstallFlow::IsFolder(const std::string& path) {
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WideText(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

InstallFlow::Result InstallFlow::Install(const std::string& gameFolder) {
    m_listed = m_notCopied = 0;
    // Never copy into an empty or vanished folder, whatever state the front end is in.
    if (!IsFolder(gameFolder)) {
        m_face.ShowNotice("Choose an existing game folder before installing.", true);
        return Result::NoFolder;
    }
    m_settings.m_gameFolder = gameFolder;
    // Packing bound to fail is known before the game changes: nothing is copied or kept for it, nor
    // a backup folder or a lock made in a folder that may be no game's.
    if (m_settings.SomethingToPack() && !m_settings.PackInputsAreThere())
        return m_face.Leaving() ? Result::Stopped : Result::PackFailed;
    // Held until the outcome is known: nothing is changed while another run works on the folder.
    if (!m_settings.LockGameFolder())
        return m_settings.m_folderLock.Refusal() == ERROR_BUSY ? Result::Busy : Result::NoFolder;
    m_face.WorkBegins(nullptr);
    FileCopier copier(m_settings);
    const int copied = copier.CopyListedFiles(gameFolder);
    m_listed = copier.Listed();
    m_notCopied = m_listed - copied;
    if (m_face.Leaving())
        return Result::Stopped;
    m_face.ShowOutcome("", false);
    if (m_settings.RunPackJob(true))
        return Result::Launched;
    return EndedUnlaunched();
}

InstallFlow::Result InstallFlow::EndedUnlaunched() {
    m_settings.m_folderLock.Release();
    if (m_face.Leaving())
        return Result::Stopped;
    // Without an edition, or with neither archive named, there is nothing to pack; the pack job
    // has said so.
    if (m_settings.SomethingToPack())
        return Result::PackFailed;
    if (m_notCopied == 0)
        return Result::Installed;
    m_face.ShowOutcome(InstalledText().c_str(), false);
    return Result::FileFailed;
}

std::string InstallFlow::InstalledText() const {
    if (m_notCopied == 0)
        return "Installed.";
    return FormatText("Installed, but %d of %s could not be copied.", m_notCopied,
                      CountText(m_listed, "listed file", "listed files").c_str());
}

InstallFlow::Result InstallFlow::PackEnded(const PackRun& run, int okCount) {
    // A run judged without its process may still be packing: the folder stays taken until the
    // front end ends.
    if (run.ProcessWatched())
        m_settings.m_folderLock.Release();
    int sourceCount = run.SourceCount();
    if (sourceCount > 0 && okCount >= sourceCount) {
        m_face.ShowOutcome(InstalledText().c_str(), true);
        m_face.Say(kInstallDone, InstallFrontEnd::Tone::Plain);
        return m_notCopied > 0 ? Result::FileFailed : Result::Installed;
    }
    m_face.ShowOutcome("Packing failed.", false);
    m_face.ShowWarning(FormatText("Packing failed: %d of %d archives reported OK. See the log %s", okCount,
                                  sourceCount, run.LogPath().c_str()));
    return Result::PackFailed;
}

InstallFlow::Result InstallFlow::Watch(PackRun& run) {
    return PackEnded(run, run.WaitForEnd());
}
