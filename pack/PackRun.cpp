// One launched pack run as the window and its watcher share it: token, log, stop flag.
#include "pack/PackRun.h"

namespace {
// Differs from run to run and from process to process; foreign garbage rarely hits it.
WPARAM NewToken() {
    static LONG counter = 0;
    DWORD mixed = (GetTickCount() * 2654435761u) ^ (GetCurrentProcessId() << 16) ^
                  static_cast<DWORD>(InterlockedIncrement(&counter)) * 40503u;
    return static_cast<WPARAM>(mixed | 1);
}
} // namespace

PackRun::PackRun(HWND window, std::string logPath, int sourceCount, bool processWatched)
    : m_window(window), m_logPath(std::move(logPath)), m_sourceCount(sourceCount),
      m_processWatched(processWatched), m_token(NewToken()),
      m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool PackRun::Post(UINT message, LPARAM lParam) {
    AcquireSRWLockExclusive(&m_lock);
    bool posted = !m_stopped && m_window && PostMessageW(m_window, message, m_token, lParam);
    ReleaseSRWLockExclusive(&m_lock);
    return posted;
}

void PackRun::Stop() {
    AcquireSRWLockExclusive(&m_lock);
    m_stopped = true;
    ReleaseSRWLockExclusive(&m_lock);
    if (m_stopEvent)
        SetEvent(m_stopEvent.get());
}

bool PackRun::IsStopped() {
    AcquireSRWLockShared(&m_lock);
    bool stopped = m_stopped;
    ReleaseSRWLockShared(&m_lock);
    return stopped;
}
