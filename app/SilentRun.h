// A scripted run: installs or restores with no window and no box, telling a log and the console.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/InstallFrontEnd.h"

class CommandLine;
class InstallSettings;
class RunLog;

class SilentRun : public InstallFrontEnd {
public:
    // The process's exit codes, as the README and the add-on makers' guide list them.
    enum ExitCode {
        kDone = 0,
        kBadCommandLine = 1,
        kNoGameFolder = 2,
        kFileFailed = 3,
        kPackFailed = 4,
        kLicenceNotAccepted = 5,
        kFolderBusy = 6,
        kRestoreIncomplete = 7,
        kNothingToInstall = 8,
    };

    SilentRun(const CommandLine& line, RunLog& log) : m_line(line), m_log(log) {}
    ~SilentRun();

    // Does what the command line asks and returns the exit code; waits for the pack run to end.
    int Run();

    // InstallFrontEnd: every message is one line of the log; questions are answered with OK.
    bool Say(const std::string& text, Tone tone) override;
    void PostNotice(std::string text, Tone tone) override { Say(text, tone); }
    HWND WindowHandle() const override { return nullptr; }
    void AddFileToDelete(const std::string& path) override { m_filesToDelete.push_back(path); }
    void PackRunLaunched(const std::shared_ptr<PackRun>& run) override;
    void CopyBegins(const std::string& name, int number, int count) override;
    void KeepBegins(const std::string& name) override;
    DWORD RunFileWork(BackgroundWork::Task& work) override;
    void WorkBegins(const char* task) override;
    void ShowOutcome(const char* text, bool installed) override;
    bool Leaving() const override { return false; }

private:
    int Install(InstallSettings& settings, const std::string& gameFolder);
    int Restore(const std::string& gameFolder);

    const CommandLine& m_line;
    RunLog& m_log;
    InstallSettings* m_settings = nullptr;
    std::shared_ptr<PackRun> m_packRun;
    int m_fileNumber = 0;
    std::vector<std::string> m_filesToDelete;
};
