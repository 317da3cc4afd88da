// The process's one application object: start-up, main window, application name.
#include "framework/Application.h"

#include <memory>

#include "framework/Dialog.h"
#include "framework/Utf8.h"

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
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
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
        constexpr DWORD kSize = 32768;
        std::unique_ptr<wchar_t[]> path(new wchar_t[kSize]);
        DWORD length = GetModuleFileNameW(nullptr, path.get(), kSize);
        if (length == 0 || length >= kSize)
            return std::string();
        return BaseNameOf(Utf8Of(path.get(), static_cast<int>(length)));
    }();
    return name;
}
