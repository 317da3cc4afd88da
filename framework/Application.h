// The process's one application object: start-up, main window, application name.
#pragma once

#include <windows.h>

#include <string>

class Dialog;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the application; returning FALSE ends the process without a message loop.
    virtual BOOL InitInstance() = 0;
    virtual int ExitInstance() { return 0; }

    // Called from the entry point.
    int Run(HINSTANCE instance);

    HINSTANCE Instance() const { return m_instance; }
    HWND MainWindow() const;
    void SetMainWindow(Dialog* window) { m_mainWindow = window; }

    // Null before the global object is constructed and after it is destroyed.
    static Application* Current();

private:
    HINSTANCE m_instance = nullptr;
    Dialog* m_mainWindow = nullptr;
};

// The program file's base name: no folder, no extension.
const std::string& ApplicationName();
// Turns a module path into the application name (kept apart so it can be tested).
std::string BaseNameOf(const std::string& modulePath);
