// Start-up settings that keep DLLs planted beside the program from being loaded.
#pragma once

// Call first in the entry point, before any window exists: later loads would already have searched
// the program's folder (a download folder full of other files) and the current directory.
void HardenProcess();
