// The results watcher: waits for the pack run to end, counts its log and tells the run.
#include "pack/CGetResults.h"

#include "framework/WideText.h"
#include "pack/LogCounter.h"
#include "pack/Messages.h"
#include "pack/PackRun.h"

namespace {
Object* CreateGetResults() {
    return new CGetResults;
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
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(WideText(m_run->LogPath()).c_str(), &found));
    return search && found.nFileSizeLow != 0;
}

bool CGetResults::WaitForEnd() const {
    HANDLE stop = m_run->StopEvent();
    if (!m_process) {
        // Nothing to wait on but the log, which the batch's redirection holds open until the tool
        // has ended: look at it between pauses that a stop cuts short.
        for (;;) {
            if (m_run->IsStopped())
                return false;
            if (LogCounter::ProbeWriter(WideText(m_run->LogPath()).c_str()) == ERROR_SUCCESS)
                return true;
            if (stop)
                WaitForSingleObject(stop, kPollMs);
            else
                Sleep(kPollMs);
        }
    }
    HANDLE handles[] = {m_process.get(), stop};
    DWORD woke = WaitForMultipleObjects(stop ? 2 : 1, handles, FALSE, INFINITE);
    // A process handle that cannot be waited on would otherwise be tried for ever: the run is
    // taken as ended and judged by its log.
    return woke != WAIT_OBJECT_0 + 1 && !m_run->IsStopped();
}

int CGetResults::Run() {
    if (!m_run)
        return 0;
    m_run->Post(kMsgPackBegins, 0);
    if (!WaitForEnd())
        return 0; // the window has gone: nobody is left to tell
    // A log that never came or stayed empty counts nothing: the run failed.
    int okCount = LogHasText() ? LogCounter::CountOkPieces(m_run->LogPath()) : 0;
    m_run->Finish(okCount);
    return 0;
}
