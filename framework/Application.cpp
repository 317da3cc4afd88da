// The process's one application object: start-up, main window, application name.
#include "framework/Application.h"

#include "framework/Dialog.h"

namespace {
Application* g_application = nullptr;
}

Application::Application() {
    g_application = this;
}

Application::~Application() {
    if (g_application == this)
        g_application = nullptr;
}

Application* Application::Current() {
    return g_application;
}

HWND Application::MainWindow() const {
    return m_mainWindow ? m_mainWindow->Handle() : nullptr;
}

int Application::Run(HINSTANCE instance) {
    m_instance = instance;
    int exitCode = 0;
    if (InitInstance()) {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        exitCode = static_cast<int>(msg.wParam);
    }
    int exitInstance = ExitInstance();
    m_mainWindow = nullptr;
    return exitCode ? exitCode : exitInstance;
}

std::string BaseNameOf(const std::string& modulePath) {
    std::string::size_type slash = modulePath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
    std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

const std::string& ApplicationName() {
    static const std::string name = [] {
        // Long enough for any extended-length path; a cut name is still better than none.
        char path[32768];
        DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
        if (length == 0 || length >= sizeof path)
            return std::string();
        return BaseNameOf(std::string(path, length));
    }();
    return name;
}
