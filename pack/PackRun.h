// One launched pack run as the window and its watcher share it: token, log, stop flag.
#pragma once

#include <windows.h>

#include <string>

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
    bool ProcessWatched() const { return m_processWatched; }

    // Posts to the window unless the run was stopped; the lock makes sure that no post can
    // slip in after Stop has returned, when the window may be gone.
    bool Post(UINT message, LPARAM lParam);
    void Stop();
    bool IsStopped();

private:
    const HWND m_window;
    const std::string m_logPath;
    const int m_sourceCount;
    const bool m_processWatched;
    const WPARAM m_token;
    SRWLOCK m_lock = SRWLOCK_INIT;
    bool m_stopped = false;
};
