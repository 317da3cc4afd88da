// A UTF-8 text as UTF-16 for one Windows call: the program's strings are UTF-8, the calls are W.
#include "framework/WideText.h"

#include <climits>
#include <cstring>

WideText::WideText(const char* text) {
    if (text)
        Convert(text, static_cast<int>(std::strlen(text)));
}

WideText::WideText(const char* text, size_t length) {
    Convert(text, length < INT_MAX ? static_cast<int>(length) : 0);
}

void WideText::Convert(const char* text, int length) {
    m_text = m_inline;
    m_inline[0] = L'\0';
    if (length <= 0)
        return;
    int needed = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    if (needed <= 0)
        return;
    if (needed > MAX_PATH) {
        m_heap.reset(new wchar_t[static_cast<size_t>(needed) + 1]);
        m_text = m_heap.get();
    }
    m_length = MultiByteToWideChar(CP_UTF8, 0, text, length, m_text, needed);
    m_length = m_length > 0 ? m_length : 0;
    m_text[m_length] = L'\0';
}
