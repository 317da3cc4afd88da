// One launched pack run as its front end and its watcher share it: token, log, stop, verdict.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

class PackRun {
public:
    // Without a watched process the end of the run is only guessed from its log.
    PackRun(HWND window, std::string logPath, int sourceCount, bool processWatched = true);
    PackRun(const PackRun&) = delete;
    PackRun& operator=(const PackRun&) = delete;

    // Travels as the first argument of 2060 and 2061, so that the window can tell our reports
    // from a foreign process's messages. Never 0.
    WPARAM Token() const { return m_token; }
    const std::string& LogPath() const { return m_logPath; }
    int SourceCount() const { return m_sourceCount; }
    // False when nobody waits on the run's process: its end, and so its outcome, is only guessed.
    bool ProcessWatched() const { return m_processWatched; }
    // The watcher could not be started after all. Window's thread only.
    void LoseWatch() { m_processWatched = false; }

    // Posts to the window unless the run was stopped; the lock makes sure that no post can
    // slip in after Stop has returned, when the window may be gone.
    bool Post(UINT message, LPARAM lParam);
    // The watcher's verdict: how many sources reported OK. Kept for WaitForEnd and posted as
    // 2061, with both numbers clamped into its argument.
    void Finish(int okCount);
    // For a front end without a window: waits until the run is finished and returns its count.
    int WaitForEnd();
    void Stop();
    bool IsStopped();
    // Waits at most timeoutMs for the batch to have made the log: from then on its hold on the log
    // tells other installers that the tool works on the folder, whoever has left.
    bool AwaitLog(DWORD timeoutMs) const;
    // Set by Stop, so that a watcher can wait for the run and for a stop in one wait. May be
    // null when the system had no event to give.
    HANDLE StopEvent() const { return m_stopEvent.get(); }

private:
    const HWND m_window;
    const std::string m_logPath;
    const int m_sourceCount;
    bool m_processWatched;
    const WPARAM m_token;
    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_stopped = false;
    bool m_finished = false;
    int m_okCount = 0;
    UniqueKernelHandle m_stopEvent;
    UniqueKernelHandle m_finishedEvent;
};
