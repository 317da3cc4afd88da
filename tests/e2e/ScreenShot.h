// What the screen shows of a window, read back pixel by pixel, and polling until it shows what it should.
#pragma once

#include <windows.h>

#include <vector>

// The whole screen's device context, for the time it is needed.
struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
    ScreenDc() = default;
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
};

// A window's client area as the screen shows it now, with a margin around it.
class ScreenShot {
public:
    ScreenShot(HWND window, int margin);

    // x and y count from the client area's top-left pixel; the margin lies at negative values.
    COLORREF At(int x, int y) const;
    int Width() const { return m_width - 2 * m_margin; }
    int Height() const { return m_height - 2 * m_margin; }

private:
    int m_margin;
    int m_width;
    int m_height;
    std::vector<COLORREF> m_pixels;
};

// Polls a check until it passes or the wait ends; painting in another process takes its time.
template <class Check> bool WaitUntil(Check check, DWORD timeoutMs = 3000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50)) {
        if (check())
            return true;
    }
    return check();
}
