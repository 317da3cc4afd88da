// The results watcher: when it judges the log, what it posts, and that it stops.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "ReportWindow.h"
#include "framework/Handles.h"
#include "pack/CGetResults.h"
#include "pack/Messages.h"
#include "pack/PackRun.h"
#include "support/TempFolder.h"

namespace {
// A watcher over a stand-in for the pack process: an event that the test sets when the run ends.
struct WatchedRun {
    TempFolder folder;
    ReportWindow window;
    UniqueKernelHandle runEnded{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::shared_ptr<PackRun> run;

    // `process` stands in for the stand-in itself when given.
    explicit WatchedRun(int sources, bool withProcess = true, HANDLE process = nullptr) {
        run = std::make_shared<PackRun>(window.Handle(), folder / "log_1.txt", sources);
        auto watcher = std::make_unique<CGetResults>();
        watcher->m_run = run;
        if (process) {
            watcher->m_process.reset(process);
        } else if (withProcess) {
            HANDLE copy = nullptr;
            DuplicateHandle(GetCurrentProcess(), runEnded.get(), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
            watcher->m_process.reset(copy);
        }
        std::unique_ptr<WorkerThread> thread(watcher.release());
        EXPECT_TRUE(WorkerThread::Start(thread));
    }
    bool Done() { return window.WaitFor(kMsgPackDone, 5000); }
    // The watcher deletes itself; then it no longer holds the run.
    bool WatcherGone() {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10)) {
            if (run.use_count() == 1)
                return true;
        }
        return false;
    }
};
} // namespace

TEST(CGetResults, JudgesTheLogOnlyOnceTheRunHasEndedAndTellsTheRunByItsToken) {
    WatchedRun w(2);
    w.folder.WriteFile("log_1.txt", "a.pff: OK\r\n");
    ASSERT_TRUE(w.window.WaitFor(kMsgPackBegins, 5000));
    w.window.Pump(400); // the log holds text, but the tool may still be writing it
    EXPECT_EQ(w.window.m_reports.size(), 1u);
    w.folder.WriteFile("log_1.txt", "a.pff: OK\r\nb.pff: OK\r\nc.pff: FAILED\r\n");
    SetEvent(w.runEnded.get());
    ASSERT_TRUE(w.Done());
    ASSERT_EQ(w.window.m_reports.size(), 2u);
    for (const ReportWindow::Report& report : w.window.m_reports)
        EXPECT_EQ(report.wParam, w.run->Token());
    EXPECT_EQ(w.window.m_reports[1].lParam, MAKELPARAM(2, 2));
    // A front end without a window has the same verdict from the run itself.
    EXPECT_EQ(w.run->WaitForEnd(), 2);
    EXPECT_TRUE(w.WatcherGone());
}

TEST(CGetResults, RunThatEndsWithoutLogTextIsReportedAsNothingCountedInsteadOfWaitingForEver) {
    {
        WatchedRun w(1);
        SetEvent(w.runEnded.get());
        ASSERT_TRUE(w.Done());
        EXPECT_EQ(w.window.m_reports.back().lParam, MAKELPARAM(0, 1));
    }
    {
        WatchedRun w(1);
        w.folder.WriteFile("log_1.txt", "");
        SetEvent(w.runEnded.get());
        ASSERT_TRUE(w.Done());
        EXPECT_EQ(w.window.m_reports.back().lParam, MAKELPARAM(0, 1));
    }
}

TEST(CGetResults, WithoutAProcessJudgesTheLogOnlyOnceTheToolHasLetGoOfIt) {
    WatchedRun w(2, false);
    ASSERT_TRUE(w.window.WaitFor(kMsgPackBegins, 5000));
    {
        // Held as the batch's redirection holds it while the tool runs: its first line is no verdict.
        UniqueFileHandle log(CreateFileA((w.folder / "log_1.txt").c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(log.get(), "a OK\r\n", 6, &written, nullptr));
        w.window.Pump(300);
        EXPECT_EQ(w.window.m_reports.size(), 1u);
        ASSERT_TRUE(WriteFile(log.get(), "b OK\r\n", 6, &written, nullptr));
    }
    ASSERT_TRUE(w.Done());
    EXPECT_EQ(w.window.m_reports.back().lParam, MAKELPARAM(2, 2));
}

TEST(CGetResults, ProcessThatCannotBeWaitedOnCountsAsEndedInsteadOfSpinning) {
    // Our own process, which never ends here, opened without the right to wait on it.
    HANDLE noWait = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId());
    ASSERT_NE(noWait, nullptr);
    WatchedRun w(1, true, noWait);
    ASSERT_TRUE(w.Done());
    EXPECT_EQ(w.window.m_reports.back().lParam, MAKELPARAM(0, 1));
}

TEST(CGetResults, StoppedWatcherPostsNothingMoreAndDeletesItself) {
    WatchedRun w(1);
    ASSERT_TRUE(w.window.WaitFor(kMsgPackBegins, 5000));
    w.run->Stop();
    EXPECT_TRUE(w.WatcherGone());
    w.folder.WriteFile("log_1.txt", "x OK\r\n");
    SetEvent(w.runEnded.get());
    w.window.Pump(200);
    EXPECT_EQ(w.window.m_reports.size(), 1u);
    EXPECT_FALSE(w.run->Post(kMsgPackDone, 0));
}

TEST(CGetResults, CanBeCreatedByName) {
    std::unique_ptr<Object> object = RuntimeClass::CreateObject("CGetResults");
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->IsKindOf(&WorkerThread::kRuntimeClass));
    EXPECT_STREQ(object->GetRuntimeClass()->m_className, "CGetResults");
}
