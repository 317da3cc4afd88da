// printf-style formatting into a string, with no fixed buffer to overflow.
#include "framework/TextFormat.h"

#include <cstdarg>
#include <cstdio>

// The C runtime's own formatter: the C++ library would otherwise link in a second, far larger one
// that handles nothing the installer's %s and %d texts need.
std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = _vscprintf(format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        int written = _vsnprintf(&text[0], text.size(), format, args);
        text.resize(written == length ? static_cast<size_t>(length) : 0);
    }
    va_end(args);
    return text;
}

std::string CountText(int count, const char* one, const char* many) {
    return FormatText("%d %s", count, count == 1 ? one : many);
}
