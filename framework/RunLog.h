// A run's lines, with the time in front, to a log file and to the console it was started from.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

class RunLog {
public:
    // The console is the standard output the starter handed over, else the starter's console. The
    // log file is UTF-8; a redirected output is in the code page of the starter's console.
    RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Appends to this file from now on; ERROR_SUCCESS, or why it cannot be opened.
    DWORD OpenFile(const std::string& path);
    // One line, always UTF-8: line ends in the text become blanks.
    void Write(const std::string& text);
    // Text as it is, to the console alone.
    void ToConsole(const std::string& text);

private:
    static void WriteTo(HANDLE file, const std::string& text);

    UniqueFileHandle m_file;
    UniqueFileHandle m_console;
    HANDLE m_output = nullptr; // the console, or the standard output, which is not ours to close
    UINT m_codePage = CP_UTF8; // of a redirected output: the starter's console's, else the OEM one
};
