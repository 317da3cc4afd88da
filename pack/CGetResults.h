// The results watcher: waits for the pack run to end, counts its log and tells the run.
#pragma once

#include <memory>

#include "framework/Handles.h"
#include "framework/WorkerThread.h"

class PackRun;

class CGetResults : public WorkerThread {
public:
    // Between looks at the log when there is no process to wait on.
    static constexpr DWORD kPollMs = 100;

    CGetResults();
    ~CGetResults() override;

    const RuntimeClass* GetRuntimeClass() const override;
    static const RuntimeClass kRuntimeClass;

    BOOL InitInstance() override { return TRUE; }
    // Posts 2060, waits, counts and finishes the run (which posts 2061) unless stopped.
    int Run() override;

    // Set before the thread starts. The process may be empty when the shell gave none: then
    // the log is judged once the tool has let go of it.
    std::shared_ptr<PackRun> m_run;
    UniqueKernelHandle m_process;

private:
    // True once the run has finished (or, without a process, its log is there and let go); false
    // when the run was stopped first.
    bool WaitForEnd() const;
    bool LogHasText() const;
};
