// A worker thread object: InitInstance, then Run, on its own thread; deletes itself when done.
#include "framework/WorkerThread.h"

const RuntimeClass WorkerThread::kRuntimeClass{"WorkerThread", &Object::kRuntimeClass, 0xFFFF, nullptr};

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() = default;

const RuntimeClass* WorkerThread::GetRuntimeClass() const {
    return &kRuntimeClass;
}

bool WorkerThread::Start(std::unique_ptr<WorkerThread>& thread, DWORD creationFlags, UINT stackSize,
                         LPSECURITY_ATTRIBUTES security) {
    if (!thread)
        return false;
    WorkerThread* self = thread.get();
    // Suspended first: the handle must be stored before an auto-deleting thread can end.
    HANDLE handle = CreateThread(security, stackSize, ThreadProc, self, CREATE_SUSPENDED, &self->m_threadId);
    if (!handle)
        return false;
    self->m_thread.reset(handle);
    bool autoDelete = self->m_autoDelete;
    if (autoDelete)
        thread.release(); // the thread deletes it when Run has returned
    if (!(creationFlags & CREATE_SUSPENDED))
        ResumeThread(handle);
    return true;
}

DWORD WINAPI WorkerThread::ThreadProc(void* parameter) {
    auto* self = static_cast<WorkerThread*>(parameter);
    int exitCode = self->InitInstance() ? self->Run() : self->ExitInstance();
    if (self->m_autoDelete)
        delete self;
    return static_cast<DWORD>(exitCode);
}
