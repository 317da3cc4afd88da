// The program's entry point hands over to the one application object.
#include <windows.h>

#include "framework/Application.h"
#include "framework/ProcessHardening.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HardenProcess();
    Application* app = Application::Current();
    return app ? app->Run(instance) : 1;
}
