// The switches of a scripted run, read from what follows the program's name.
#pragma once

#include <string>

class CommandLine {
public:
    // Switches are read in any case; /D= comes last and takes the rest, blanks included.
    static CommandLine Parse(const std::string& arguments);
    // How to call the program, under its own name.
    static std::string Usage(const std::string& programName);

    // No switches at all: the window.
    bool IsEmpty() const;

    bool m_silent = false;  // /S
    bool m_accept = false;  // /ACCEPT
    bool m_restore = false; // /RESTORE
    bool m_usage = false;   // /?
    std::string m_logFile;  // /LOG=
    std::string m_gameFolder;
    bool m_folderGiven = false; // /D=
    // Why the line was not understood; empty when it was.
    std::string m_error;
};
