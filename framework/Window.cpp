// A window handle that is not owned, with the few operations controls need.
#include "framework/Window.h"

std::string Window::GetText() const {
    int length = GetWindowTextLengthA(m_hwnd);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(m_hwnd, &text[0], length + 1);
    text.resize(copied > 0 && copied <= length ? static_cast<size_t>(copied) : 0);
    return text;
}
