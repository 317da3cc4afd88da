// A hidden window that collects what pack runs post to it.
#include "ReportWindow.h"

#include "pack/Messages.h"

namespace {
constexpr const char* kClassName = "KsPackReportWindow";
}

ReportWindow::ReportWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass); // fails harmlessly when an earlier test registered it
    m_window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                               nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ReportWindow::~ReportWindow() {
    DestroyWindow(m_window);
}

LRESULT CALLBACK ReportWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ReportWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message == kMsgPackBegins || message == kMsgPackDone)) {
        self->m_reports.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ReportWindow::Has(UINT message) const {
    for (const Report& report : m_reports) {
        if (report.message == message)
            return true;
    }
    return false;
}

bool ReportWindow::WaitFor(UINT message, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !Has(message); Pump(10)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
    }
    return true;
}

void ReportWindow::Pump(DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(5);
    }
}
