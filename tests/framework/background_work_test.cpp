// Long work beside the window's thread: the window goes on answering, and leaving stops the work.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/BackgroundWork.h"

namespace {
constexpr UINT kMsgLeave = WM_APP + 7;
bool g_leaving = false;

LRESULT CALLBACK LeaveProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgLeave) {
        g_leaving = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Leaving : BackgroundWork::Watcher {
    void OnProgress(ULONGLONG, ULONGLONG) override {}
    bool WantsStop() override { return g_leaving; }
};

// Gets to its end whatever it is told, as a copy does whose last piece was written when Exit came:
// the press is posted to the window just before the work returns.
struct EndsAnyway : BackgroundWork::Task {
    EndsAnyway(HWND window, DWORD result) : window(window), result(result) {}
    DWORD Run(FileTransfer::Progress&) override {
        if (window)
            PostMessageA(window, kMsgLeave, 0, 0);
        return result;
    }
    HWND window;
    DWORD result;
};
} // namespace

TEST(BackgroundWork, WorkThatEndsAfterTheUserLeftCountsAsStoppedWhateverItsResult) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = LeaveProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KsLeaveProbe";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("KsLeaveProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    Leaving watcher;
    for (DWORD result : {DWORD(ERROR_SUCCESS), DWORD(ERROR_ACCESS_DENIED)}) {
        g_leaving = false;
        EndsAnyway work(window, result);
        EXPECT_EQ(BackgroundWork::Run(work, watcher, nullptr), DWORD(ERROR_CANCELLED)) << result;
        EXPECT_TRUE(g_leaving);
    }
    // Nobody leaving: the work's own result.
    g_leaving = false;
    EndsAnyway work(nullptr, ERROR_ACCESS_DENIED);
    EXPECT_EQ(BackgroundWork::Run(work, watcher, nullptr), DWORD(ERROR_ACCESS_DENIED));
    DestroyWindow(window);
}
