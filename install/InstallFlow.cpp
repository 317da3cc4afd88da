// The order of an installation, whoever it runs for: check, copy, keep, pack, and the outcome.
#include "install/InstallFlow.h"

#include <windows.h>

#include "framework/TextFormat.h"
#include "framework/WideText.h"
#include "install/FileCopier.h"
#include "install/GameBackup.h"
#include "install/InstallFrontEnd.h"
#include "install/KeepTask.h"
#include "install/PackJob.h"
#include "install/RelativeName.h"
#include "pack/PackRun.h"
#include "settings/InstallSettings.h"

using Tone = InstallFrontEnd::Tone;

namespace {
PackJob::Inputs PackInputs(InstallSettings& settings, InstallFrontEnd& face) {
    PackJob::Inputs inputs;
    inputs.editionCode = settings.m_editionCode;
    inputs.destinationPff = settings.m_destinationPff;
    inputs.gameFolder = settings.m_gameFolder;
    inputs.programDir = settings.GetProgramDir();
    inputs.sourcePffs = &settings.m_sourcePffs;
    inputs.fileExists = [&](const std::string& path) { return FileCopier::FileThere(settings, face, path); };
    inputs.shortPath = [&](const std::string& path) { return settings.GetShortPath(path); };
    inputs.nameIsSafe = &RelativeName::IsSafe;
    return inputs;
}
} // namespace

bool InstallFlow::IsFolder(const std::string& path) {
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WideText(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

InstallFlow::Result InstallFlow::Install(const std::string& gameFolder) {
    m_listed = m_notCopied = 0;
    // Never copy into an empty or vanished folder, whatever state the front end is in.
    if (!IsFolder(gameFolder)) {
        m_face.Say("Choose an existing game folder before installing.", Tone::Notice);
        return Result::NoFolder;
    }
    m_settings.m_gameFolder = gameFolder;
    // Packing bound to fail is known before the game changes: nothing is copied or kept for it, nor
    // a backup folder or a lock made in a folder that may be no game's.
    if (m_settings.SomethingToPack() && !PackInputsAreThere())
        return m_face.Leaving() ? Result::Stopped : Result::PackFailed;
    // Held until the outcome is known: nothing is changed while another run works on the folder.
    if (!LockFolder(gameFolder))
        return m_lock.Refusal() == ERROR_BUSY ? Result::Busy : Result::NoFolder;
    m_face.WorkBegins(nullptr);
    FileCopier copier(m_settings, m_face);
    const int copied = copier.CopyListedFiles(gameFolder);
    m_listed = copier.Listed();
    m_notCopied = m_listed - copied;
    if (m_face.Leaving())
        return Result::Stopped;
    m_face.ShowOutcome("", false);
    if (RunPackJob())
        return Result::Launched;
    return EndedUnlaunched();
}

bool InstallFlow::LockFolder(const std::string& gameFolder) {
    if (m_lock.TryAcquire(gameFolder.c_str()))
        return true;
    m_face.Say(m_lock.RefusalText(gameFolder), Tone::NoticeWarning);
    return false;
}

bool InstallFlow::PackInputsAreThere() {
    return PackJob(PackInputs(m_settings, m_face), m_face).InputsAreThere();
}

bool InstallFlow::RunPackJob() {
    PackJob::Inputs inputs = PackInputs(m_settings, m_face);
    // A large archive takes a while to copy: the window keeps answering meanwhile.
    inputs.keepOriginal = [this](const std::string& name) {
        GameBackup backup(m_settings.m_gameFolder);
        return KeepTask::KeepFor(m_face, backup, name);
    };
    return PackJob(std::move(inputs), m_face).Run(true);
}

InstallFlow::Result InstallFlow::EndedUnlaunched() {
    m_lock.Release();
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
        m_lock.Release();
    int sourceCount = run.SourceCount();
    if (sourceCount > 0 && okCount >= sourceCount) {
        m_face.ShowOutcome(InstalledText().c_str(), true);
        m_face.Say(kInstallDone, Tone::Plain);
        return m_notCopied > 0 ? Result::FileFailed : Result::Installed;
    }
    m_face.ShowOutcome("Packing failed.", false);
    m_face.Say(FormatText("Packing failed: %d of %d archives reported OK. See the log %s", okCount,
                          sourceCount, run.LogPath().c_str()),
               Tone::NoticeWarning);
    return Result::PackFailed;
}

InstallFlow::Result InstallFlow::Watch(PackRun& run) {
    return PackEnded(run, run.WaitForEnd());
}
