// The results watcher: waits for the pack run to end, counts its log and tells the window.
#include "pack/CGetResults.h"

#include "pack/LogCounter.h"
#include "pack/Messages.h"
#include "pack/PackRun.h"

namespace {
Object* CreateGetResults() {
    return new CGetResults;
}

// 2061 carries both numbers in one argument; the first argument is the run's token.
LPARAM PackCounts(int okCount, int sourceCount) {
    auto clamp = [](int n) { return static_cast<WORD>(n < 0 ? 0 : n > 0xFFFF ? 0xFFFF : n); };
    return MAKELPARAM(clamp(okCount), clamp(sourceCount));
}
} // namespace

const RuntimeClass CGetResults::kRuntimeClass{"CGetResults", &WorkerThread::kRuntimeClass, 0xFFFF,
                                              &CreateGetResults};
static RuntimeClassRegistration g_getResultsRegistration(CGetResults::kRuntimeClass);

CGetResults::CGetResults() = default;

CGetResults::~CGetResults() = default;

const RuntimeClass* CGetResults::GetRuntimeClass() const {
    return &kRuntimeClass;
}

bool CGetResults::LogHasText() const {
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA(m_run->LogPath().c_str(), &found));
    return search && found.nFileSizeLow != 0;
}

bool CGetResults::RunEnded() const {
    if (!m_process)
        return LogHasText();
    return WaitForSingleObject(m_process.get(), kPollMs) == WAIT_OBJECT_0;
}

int CGetResults::Run() {
    if (!m_run)
        return 0;
    m_run->Post(kMsgPackBegins, 0);
    // Waiting on the process paces the attempts itself; without one, pause between them.
    while (!RunEnded()) {
        if (m_run->IsStopped())
            return 0; // the window has gone: nobody is left to tell
        if (!m_process)
            Sleep(kPollMs);
    }
    if (m_run->IsStopped())
        return 0;
    // A log that never came or stayed empty counts nothing: the run failed.
    int okCount = LogHasText() ? LogCounter::CountOkPieces(m_run->LogPath()) : 0;
    m_run->Post(kMsgPackDone, PackCounts(okCount, m_run->SourceCount()));
    return 0;
}
