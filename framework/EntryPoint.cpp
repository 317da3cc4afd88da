// The program's entry point hands over to the one application object.
#include <windows.h>

#include "framework/Application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Application* app = Application::Current();
    return app ? app->Run(instance) : 1;
}
