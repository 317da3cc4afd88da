// A UTF-8 text as UTF-16 for one Windows call: the program's strings are UTF-8, the calls are W.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class WideText {
public:
    // Null stays null, for calls where null means "none".
    explicit WideText(const char* text);
    explicit WideText(const std::string& text) : WideText(text.data(), text.size()) {}
    WideText(const char* text, size_t length);
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    const wchar_t* c_str() const { return m_text; }
    wchar_t* data() { return m_text; }
    // In UTF-16 units, without the terminating zero.
    int Length() const { return m_length; }

private:
    void Convert(const char* text, int length);

    // Paths fit here; longer texts (a licence, a message) take the heap.
    wchar_t m_inline[MAX_PATH + 1];
    std::unique_ptr<wchar_t[]> m_heap;
    wchar_t* m_text = nullptr;
    int m_length = 0;
};
