// What an installation tells and asks of the one it runs for: the window, or a silent run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "framework/BackgroundWork.h"

class PackRun;

class InstallFrontEnd {
public:
    // How a message is put: the installer's notices are captioned "KSInstaller", the others with
    // the application's name; a question has OK and Cancel, the rest OK alone.
    enum class Tone { Plain, Information, Warning, Question, Notice, NoticeWarning, NoticeQuestion };
    // Tells the text now; true when it was answered with OK (a question may be declined). Once the
    // user is leaving, nothing is said.
    virtual bool Say(const std::string& text, Tone tone) = 0;
    // The same, once the handler that is running now has returned.
    virtual void PostNotice(std::string text, Tone tone) = 0;
    // The window that pack runs report to; none for a front end without one.
    virtual HWND WindowHandle() const = 0;
    // The file is deleted when the front end ends.
    virtual void AddFileToDelete(const std::string& path) = 0;
    // A pack run has been launched; only its watcher's reports are to be believed, and a
    // window stops it when it closes.
    virtual void PackRunLaunched(const std::shared_ptr<PackRun>& run) = 0;
    // Told before each listed file is tried: its name as install.ini writes it, its number and
    // how many files will be tried.
    virtual void CopyBegins(const std::string& name, int number, int count) = 0;
    // Told before the original of a listed game file is kept.
    virtual void KeepBegins(const std::string& name) = 0;
    // Runs one long piece of file work (keeping or copying a file) and returns its result;
    // ERROR_CANCELLED when the user is leaving, and then nothing more is done.
    virtual DWORD RunFileWork(BackgroundWork::Task& work) = 0;
    // The game files are about to change: nothing but leaving may be asked for until the flow
    // returns. `task` is the status of the whole work, or null when each file is told.
    virtual void WorkBegins(const char* task) = 0;
    // The status after a step: "" clears it; `installed` once the installation has succeeded.
    virtual void ShowOutcome(const char* text, bool installed) = 0;
    // True once the user is leaving: nothing more is launched or said.
    virtual bool Leaving() const = 0;

protected:
    ~InstallFrontEnd() = default;
};
