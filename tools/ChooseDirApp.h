// ChooseDir.exe FOLDER: runs the folder chooser on FOLDER and prints the folder chosen with OK.
#pragma once

#include "framework/Application.h"

class ChooseDirApp : public Application {
public:
    BOOL InitInstance() override;
    int ExitInstance() override { return m_exitCode; }

private:
    int m_exitCode = 1;
};
