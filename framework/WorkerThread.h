// A worker thread object: InitInstance, then Run, on its own thread; deletes itself when done.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Handles.h"
#include "framework/Object.h"

class WorkerThread : public Object {
public:
    WorkerThread();
    ~WorkerThread() override;

    const RuntimeClass* GetRuntimeClass() const override;
    static const RuntimeClass kRuntimeClass;

    // Starts the thread and hands the object over to it. With auto-delete on, the thread owns
    // the object from here and the caller must not touch it again; on failure the object comes
    // back to the caller's unique_ptr untouched.
    static bool Start(std::unique_ptr<WorkerThread>& thread, DWORD creationFlags = 0, UINT stackSize = 0,
                      LPSECURITY_ATTRIBUTES security = nullptr);

    virtual BOOL InitInstance() = 0;
    virtual int Run() { return 0; }
    virtual int ExitInstance() { return 0; }

    HANDLE Handle() const { return m_thread.get(); }
    DWORD ThreadId() const { return m_threadId; }

    bool m_autoDelete = true;

private:
    static DWORD WINAPI ThreadProc(void* parameter);

    UniqueKernelHandle m_thread;
    DWORD m_threadId = 0;
};
