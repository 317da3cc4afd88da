// Runs one long piece of work on a worker thread while the window's thread keeps answering.
#include "framework/BackgroundWork.h"

#include "framework/Handles.h"

namespace {
// Written by the worker, read by the window's thread; the stop request goes the other way.
class SharedProgress : public FileTransfer::Progress {
public:
    bool OnCopied(ULONGLONG done, ULONGLONG total) override {
        AcquireSRWLockExclusive(&m_lock);
        m_done = done;
        m_total = total;
        bool goOn = !m_stop;
        ReleaseSRWLockExclusive(&m_lock);
        return goOn;
    }
    void Stop() {
        AcquireSRWLockExclusive(&m_lock);
        m_stop = true;
        ReleaseSRWLockExclusive(&m_lock);
    }
    void Tell(BackgroundWork::Watcher& watcher) {
        AcquireSRWLockShared(&m_lock);
        ULONGLONG done = m_done;
        ULONGLONG total = m_total;
        ReleaseSRWLockShared(&m_lock);
        watcher.OnProgress(done, total);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    ULONGLONG m_done = 0;
    ULONGLONG m_total = 0;
    bool m_stop = false;
};

struct Job {
    explicit Job(BackgroundWork::Task& work) : task(work) {}
    BackgroundWork::Task& task;
    SharedProgress progress;
    DWORD result = ERROR_SUCCESS;
};

DWORD WINAPI RunJob(void* parameter) {
    auto* job = static_cast<Job*>(parameter);
    job->result = job->task.Run(job->progress);
    return 0;
}

} // namespace

DWORD BackgroundWork::Run(Task& task, Watcher& watcher, HWND dialog) {
    Job job(task);
    UniqueKernelHandle thread(CreateThread(nullptr, 0, RunJob, &job, 0, nullptr));
    if (!thread)
        return task.Run(job.progress);
    HANDLE ended = thread.get();
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        DWORD woke = quit ? WaitForSingleObject(ended, INFINITE)
                          : MsgWaitForMultipleObjectsEx(1, &ended, kTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // The loop that called us must see the quit too, once the work is over.
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
            } else if (!dialog || !IsDialogMessageW(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        if (quit || watcher.WantsStop())
            job.progress.Stop();
        job.progress.Tell(watcher);
        // A wait that fails would spin; the worker still uses `job`, so wait for it plainly.
        if (woke == WAIT_FAILED)
            WaitForSingleObject(ended, INFINITE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED)
            break;
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    // A press that came as the work got to its end was handled above; the work's own result says
    // what is on the disk, and the caller, which asks whether the user is leaving, does nothing more.
    return job.result;
}
