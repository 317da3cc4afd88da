// Worker threads run InitInstance then Run on their own thread and delete themselves.
#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "framework/WorkerThread.h"

namespace {
struct Record {
    DWORD threadId = 0;
    bool ran = false;
    bool destroyed = false;
    UniqueKernelHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

class Recorder : public WorkerThread {
public:
    Recorder(Record& record, bool init) : m_record(record), m_init(init) {}
    ~Recorder() override {
        m_record.destroyed = true;
        SetEvent(m_record.done.get());
    }
    BOOL InitInstance() override {
        m_record.threadId = GetCurrentThreadId();
        return m_init;
    }
    int Run() override {
        m_record.ran = true;
        return 0;
    }

private:
    Record& m_record;
    bool m_init;
};
} // namespace

TEST(WorkerThread, RunsOnItsOwnThreadAndDeletesItself) {
    Record record;
    std::unique_ptr<WorkerThread> thread = std::make_unique<Recorder>(record, true);
    ASSERT_TRUE(WorkerThread::Start(thread));
    EXPECT_EQ(thread, nullptr); // handed over
    ASSERT_EQ(WaitForSingleObject(record.done.get(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(record.ran);
    EXPECT_TRUE(record.destroyed);
    EXPECT_NE(record.threadId, GetCurrentThreadId());
}

TEST(WorkerThread, SkipsRunWhenInitInstanceFailsAndKeepsObjectWithoutAutoDelete) {
    Record record;
    std::unique_ptr<WorkerThread> thread = std::make_unique<Recorder>(record, false);
    thread->m_autoDelete = false;
    ASSERT_TRUE(WorkerThread::Start(thread));
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread->Handle(), 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(record.ran);
    EXPECT_FALSE(record.destroyed);
    thread.reset();
    EXPECT_TRUE(record.destroyed);

    std::unique_ptr<WorkerThread> none;
    EXPECT_FALSE(WorkerThread::Start(none));
}
