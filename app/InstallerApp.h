// The installer's application object: runs the main window and ends the process with it.
#pragma once

#include "framework/Application.h"

class InstallerApp : public Application {
public:
    BOOL InitInstance() override;
};
