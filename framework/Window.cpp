// A window handle that is not owned, with the few operations controls need.
#include "framework/Window.h"

#include <memory>

#include "framework/Utf8.h"
#include "framework/WideText.h"

void Window::SetText(const std::string& text) const {
    SetWindowTextW(m_hwnd, WideText(text).c_str());
}

std::string Window::GetText() const {
    int length = GetWindowTextLengthW(m_hwnd);
    if (length <= 0)
        return std::string();
    std::unique_ptr<wchar_t[]> text(new wchar_t[static_cast<size_t>(length) + 1]);
    int copied = GetWindowTextW(m_hwnd, text.get(), length + 1);
    return copied > 0 && copied <= length ? Utf8Of(text.get(), copied) : std::string();
}
