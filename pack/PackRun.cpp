// One launched pack run as its front end and its watcher share it: token, log, stop, verdict.
#include "pack/PackRun.h"

#include "framework/WideText.h"
#include "pack/Messages.h"

namespace {
// Differs from run to run and from process to process; foreign garbage rarely hits it.
WPARAM NewToken() {
    static LONG counter = 0;
    DWORD mixed = (GetTickCount() * 2654435761u) ^ (GetCurrentProcessId() << 16) ^
                  static_cast<DWORD>(InterlockedIncrement(&counter)) * 40503u;
    return static_cast<WPARAM>(mixed | 1);
}

// 2061 carries both numbers in one argument; the first argument is the run's token.
LPARAM PackCounts(int okCount, int sourceCount) {
    auto clamp = [](int n) { return static_cast<WORD>(n < 0 ? 0 : n > 0xFFFF ? 0xFFFF : n); };
    return MAKELPARAM(clamp(okCount), clamp(sourceCount));
}
} // namespace

PackRun::PackRun(HWND window, std::string logPath, int sourceCount, bool processWatched)
    : m_window(window), m_logPath(std::move(logPath)), m_sourceCount(sourceCount),
      m_processWatched(processWatched), m_token(NewToken()),
      m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_finishedEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool PackRun::Post(UINT message, LPARAM lParam) {
    AcquireSRWLockExclusive(&m_lock);
    bool posted = !m_stopped && m_window && PostMessageW(m_window, message, m_token, lParam);
    ReleaseSRWLockExclusive(&m_lock);
    return posted;
}

void PackRun::Finish(int okCount) {
    AcquireSRWLockExclusive(&m_lock);
    m_okCount = okCount;
    m_finished = true;
    ReleaseSRWLockExclusive(&m_lock);
    if (m_finishedEvent)
        SetEvent(m_finishedEvent.get());
    Post(kMsgPackDone, PackCounts(okCount, m_sourceCount));
}

int PackRun::WaitForEnd() {
    for (;;) {
        AcquireSRWLockShared(&m_lock);
        bool finished = m_finished;
        int okCount = m_okCount;
        ReleaseSRWLockShared(&m_lock);
        if (finished)
            return okCount;
        // Without an event to wait on, the flag is looked at between pauses.
        if (!m_finishedEvent || WaitForSingleObject(m_finishedEvent.get(), INFINITE) != WAIT_OBJECT_0)
            Sleep(100);
    }
}

void PackRun::Stop() {
    AcquireSRWLockExclusive(&m_lock);
    m_stopped = true;
    ReleaseSRWLockExclusive(&m_lock);
    if (m_stopEvent)
        SetEvent(m_stopEvent.get());
}

bool PackRun::AwaitLog(DWORD timeoutMs) const {
    const WideText log(m_logPath);
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (GetFileAttributesW(log.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
    }
}

bool PackRun::IsStopped() {
    AcquireSRWLockShared(&m_lock);
    bool stopped = m_stopped;
    ReleaseSRWLockShared(&m_lock);
    return stopped;
}
