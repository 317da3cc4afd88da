// Runs one long piece of work on a worker thread while the window's thread keeps answering.
#pragma once

#include <windows.h>

#include "framework/FileTransfer.h"

class BackgroundWork {
public:
    // What runs on the worker thread; it reports through `progress` and stops when told to.
    class Task {
    public:
        virtual DWORD Run(FileTransfer::Progress& progress) = 0;

    protected:
        ~Task() = default;
    };

    // The window's side, always called on the window's thread.
    class Watcher {
    public:
        virtual void OnProgress(ULONGLONG done, ULONGLONG total) = 0;
        // True once the work is no longer wanted (the window is closing).
        virtual bool WantsStop() = 0;

    protected:
        ~Watcher() = default;
    };

    // How often the watcher hears of progress when no message comes.
    static constexpr DWORD kTickMs = 50;

    // Runs `task` on a new thread and, until it has ended, handles this thread's messages, the
    // keys of `dialog` included. Returns the task's own result: ERROR_CANCELLED only when it
    // stopped short, not when it got to its end as the watcher came to want it stopped. The task runs
    // here when no thread can be made.
    static DWORD Run(Task& task, Watcher& watcher, HWND dialog);
};
