// A hidden window that collects what pack runs post to it.
#pragma once

#include <windows.h>

#include <vector>

class ReportWindow {
public:
    struct Report {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    ReportWindow();
    ~ReportWindow();
    ReportWindow(const ReportWindow&) = delete;
    ReportWindow& operator=(const ReportWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Pumps messages until one with this number has come; false when none came in time.
    bool WaitFor(UINT message, DWORD timeoutMs);
    // Pumps messages for a while and keeps what came.
    void Pump(DWORD ms);

    std::vector<Report> m_reports;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Has(UINT message) const;

    HWND m_window = nullptr;
};
