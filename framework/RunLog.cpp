// A run's lines, with the time in front, to a log file and to the console it was started from.
#include "framework/RunLog.h"

#include "framework/TextFormat.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {
bool IsUsable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
} // namespace

RunLog::RunLog() {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    // A program with a window of its own gets no console; the one it was typed into is its
    // parent's. A redirected output is read in that console's code page too (`for /f`, a
    // PowerShell capture), else in the OEM one.
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    const UINT consoleCodePage = GetConsoleOutputCP();
    m_codePage = consoleCodePage ? consoleCodePage : GetOEMCP();
    DWORD mode = 0;
    if (IsUsable(output)) {
        m_output = output;
        // Attached only to learn the code page: that console's Ctrl+C or closing is not ours.
        if (attached && !GetConsoleMode(output, &mode))
            FreeConsole();
        return;
    }
    // None there: nothing is written.
    if (!attached)
        return;
    m_console.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    m_output = m_console.get();
}

DWORD RunLog::OpenFile(const std::string& path) {
    // Appended to, so that scripts can chain installers into one log; others may read it meanwhile.
    m_file.reset(CreateFileW(WideText(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file ? ERROR_SUCCESS : GetLastError();
}

void RunLog::Write(const std::string& text) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string line = FormatText("%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay,
                                  now.wHour, now.wMinute, now.wSecond);
    for (char c : text)
        line += c == '\r' || c == '\n' ? ' ' : c;
    line += "\r\n";
    // Whatever a caller hands in, the log stays UTF-8: a byte that is none becomes U+FFFD.
    if (!IsUtf8(line.data(), line.size()))
        line = Utf8FromCodePage(CP_UTF8, line.data(), line.size());
    WriteTo(m_file.get(), line);
    ToConsole(line);
}

void RunLog::ToConsole(const std::string& text) {
    // A console shows UTF-16 whatever its code page; a file or pipe gets the bytes its reader
    // expects, with the code page's own stand-in for a character it lacks.
    DWORD mode = 0;
    WideText wide(text);
    if (m_output && GetConsoleMode(m_output, &mode)) {
        DWORD written = 0;
        WriteConsoleW(m_output, wide.c_str(), static_cast<DWORD>(wide.Length()), &written, nullptr);
        return;
    }
    if (m_codePage == CP_UTF8 || wide.Length() == 0) {
        WriteTo(m_output, text);
        return;
    }
    int length =
        WideCharToMultiByte(m_codePage, 0, wide.c_str(), wide.Length(), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return;
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(m_codePage, 0, wide.c_str(), wide.Length(), &narrow[0], length, nullptr, nullptr);
    WriteTo(m_output, narrow);
}

void RunLog::WriteTo(HANDLE file, const std::string& text) {
    if (!file || file == INVALID_HANDLE_VALUE)
        return;
    // Unbuffered: what was written is there even if the run is killed.
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
