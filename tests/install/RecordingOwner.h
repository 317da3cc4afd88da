// A front end that records what an installation tells the user.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/InstallFrontEnd.h"

class RecordingOwner : public InstallFrontEnd {
public:
    struct Notice {
        std::string text;
        bool plain;
        bool posted;
    };

    // A question is answered with OK.
    bool Say(const std::string& text, Tone tone) override;
    void PostNotice(std::string text, Tone tone) override;
    HWND WindowHandle() const override { return m_window; }
    void AddFileToDelete(const std::string& path) override { m_filesToDelete.push_back(path); }
    void PackRunLaunched(const std::shared_ptr<PackRun>& run) override { m_runs.push_back(run); }
    void CopyBegins(const std::string& name, int number, int count) override;
    void KeepBegins(const std::string& name) override { m_copiesBegun.push_back("keep " + name); }
    // Runs the work here, but answers ERROR_CANCELLED for the piece numbered m_leaveAt, from
    // which on the user is leaving; with m_leaveLate that piece gets to its end first.
    DWORD RunFileWork(BackgroundWork::Task& work) override;
    void WorkBegins(const char*) override {}
    void ShowOutcome(const char*, bool) override {}
    bool Leaving() const override { return m_leaveAt > 0 && m_workCalls >= m_leaveAt; }

    std::vector<Notice> m_notices;
    std::vector<std::string> m_filesToDelete;
    HWND m_window = nullptr; // where pack runs report
    std::vector<std::shared_ptr<PackRun>> m_runs;
    std::vector<std::string> m_copiesBegun; // "name number/count"
    int m_leaveAt = 0;
    bool m_leaveLate = false;
    int m_workCalls = 0;
};
