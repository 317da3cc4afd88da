// What the screen shows of a window, read back pixel by pixel, and polling until it shows what it should.
#include "ScreenShot.h"

#include "framework/Handles.h"
#include "framework/SelectedObject.h"

ScreenShot::ScreenShot(HWND window, int margin) : m_margin(margin) {
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    m_width = client.right + 2 * margin;
    m_height = client.bottom + 2 * margin;
    m_pixels.assign(static_cast<size_t>(m_width) * m_height, CLR_INVALID);
    ScreenDc screen;
    UniqueMemoryDc memory(CreateCompatibleDC(screen.dc));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, m_width, -m_height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bits)
        return;
    SelectedObject selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, m_width, m_height, screen.dc, origin.x - margin, origin.y - margin, SRCCOPY);
    GdiFlush();
    // A 32-bit DIB holds blue, green, red: the reverse of a COLORREF.
    const DWORD* source = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < m_pixels.size(); ++i)
        m_pixels[i] = RGB(GetBValue(source[i]), GetGValue(source[i]), GetRValue(source[i]));
}

COLORREF ScreenShot::At(int x, int y) const {
    x += m_margin;
    y += m_margin;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}
