// A window handle that is not owned, with the few operations controls need.
#pragma once

#include <windows.h>

#include <string>

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : m_hwnd(hwnd) {}

    HWND Handle() const { return m_hwnd; }
    void Attach(HWND hwnd) { m_hwnd = hwnd; }

    void Enable(bool enable) const { EnableWindow(m_hwnd, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(m_hwnd) != FALSE; }
    void SetText(const std::string& text) const;
    std::string GetText() const;

private:
    HWND m_hwnd = nullptr;
};
