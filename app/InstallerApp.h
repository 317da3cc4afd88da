// The installer's application object: runs the main window, or a scripted run, and ends the process.
#pragma once

#include "framework/Application.h"

class CommandLine;

class InstallerApp : public Application {
public:
    BOOL InitInstance() override;
    int ExitInstance() override { return m_exitCode; }

private:
    // Switches given: a silent run, or the usage in a box. Returns the exit code.
    static int RunScripted(const CommandLine& line);

    int m_exitCode = 0;
};
