// A scripted run: installs or restores with no window and no box, telling a log and the console.
#include "app/SilentRun.h"

#include "app/CommandLine.h"
#include "app/StatusPanel.h"
#include "framework/RunLog.h"
#include "framework/TextFormat.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "install/InstallFlow.h"
#include "install/RestoreFlow.h"
#include "pack/PackRun.h"
#include "settings/InstallSettings.h"

namespace {
// A relative folder would mean another one once the pack tool runs in the program folder.
std::string FullPath(const std::string& path) {
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(WideText(path).c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? Utf8Of(full, static_cast<int>(length)) : path;
}
} // namespace

SilentRun::~SilentRun() {
    for (const std::string& path : m_filesToDelete)
        DeleteFileW(WideText(path).c_str());
}

int SilentRun::Run() {
    // Nor may the system put up a box of its own: no disk in a drive, a crash.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    if (!m_line.m_logFile.empty()) {
        if (DWORD error = m_log.OpenFile(m_line.m_logFile)) {
            m_log.ToConsole(FormatText("The log file %s cannot be opened (error %lu).\r\n",
                                       m_line.m_logFile.c_str(), error));
            return kBadCommandLine;
        }
    }
    InstallSettings settings;
    m_settings = &settings;
    std::string gameFolder =
        m_line.m_folderGiven ? FullPath(m_line.m_gameFolder) : settings.DetectGameFolder();
    int code = m_line.m_restore ? Restore(gameFolder) : Install(settings, gameFolder);
    m_settings = nullptr;
    return code;
}

int SilentRun::Install(InstallSettings& settings, const std::string& gameFolder) {
    // A script must not take a run that could change nothing for an installation.
    std::string nothing = settings.NothingToInstall();
    if (!nothing.empty()) {
        m_log.Write(nothing);
        return kNothingToInstall;
    }
    // A licence is accepted only when the command line says so.
    std::string licence = settings.GetIniText("eula_text");
    if (!licence.empty()) {
        m_log.Write(licence);
        if (!m_line.m_accept) {
            m_log.Write("The licence was not accepted: nothing was installed. /ACCEPT accepts it.");
            return kLicenceNotAccepted;
        }
        m_log.Write("The licence was accepted with /ACCEPT.");
    }
    InstallFlow flow(settings, *this);
    InstallFlow::Result result = flow.Install(gameFolder);
    if (result == InstallFlow::Result::Launched)
        result = flow.Watch(*m_packRun);
    switch (result) {
    case InstallFlow::Result::Installed:
        return kDone;
    case InstallFlow::Result::FileFailed:
        return kFileFailed;
    case InstallFlow::Result::NoFolder:
        return kNoGameFolder;
    case InstallFlow::Result::Busy:
        return kFolderBusy;
    default:
        return kPackFailed;
    }
}

int SilentRun::Restore(const std::string& gameFolder) {
    switch (RestoreFlow(*this).Restore(gameFolder)) {
    case RestoreFlow::Result::Restored:
    case RestoreFlow::Result::NothingKept:
        return kDone;
    case RestoreFlow::Result::NoFolder:
        return kNoGameFolder;
    case RestoreFlow::Result::Busy:
        return kFolderBusy;
    default:
        return kRestoreIncomplete;
    }
}

bool SilentRun::Say(const std::string& text, Tone) {
    m_log.Write(text);
    return true;
}

void SilentRun::PackRunLaunched(const std::shared_ptr<PackRun>& run) {
    m_packRun = run;
    m_log.Write(StatusPanel::PackingText(m_settings->m_destinationPff));
}

void SilentRun::CopyBegins(const std::string& name, int number, int count) {
    // The window comes back to a file's copy after keeping its original; the log needs it once.
    if (number != m_fileNumber)
        m_log.Write(StatusPanel::CopyingText(name, number, count));
    m_fileNumber = number;
}

void SilentRun::KeepBegins(const std::string& name) {
    m_log.Write(StatusPanel::KeepingText(name));
}

DWORD SilentRun::RunFileWork(BackgroundWork::Task& work) {
    // No one can ask to stop it.
    struct GoOn : FileTransfer::Progress {
        bool OnCopied(ULONGLONG, ULONGLONG) override { return true; }
    } progress;
    return work.Run(progress);
}

void SilentRun::WorkBegins(const char* task) {
    if (task)
        m_log.Write(task);
}

void SilentRun::ShowOutcome(const char* text, bool) {
    if (*text)
        m_log.Write(text);
}
