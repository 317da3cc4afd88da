// The system menu's restore command: asks first, puts the kept game files back, tells the outcome.
#pragma once

#include <windows.h>

#include <string>

#include "framework/FileTransfer.h"

class RestoreCommand {
public:
    // Boxes are owned by `owner`; progress is told while kept files are copied back.
    static void Run(HWND owner, const std::string& gameFolder, FileTransfer::Progress* progress = nullptr);
};
