// Starts the installer in its own process and drives its windows from outside, with bounded waits.
#include "Driver.h"

#include <algorithm>
#include <vector>

#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {
constexpr int kInstallButton = 1003;

struct Search {
    DWORD processId;
    const std::string* caption;
    bool wantMain;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    char className[32];
    if (!GetClassNameA(window, className, sizeof className) || std::string(className) != "#32770")
        return TRUE;
    bool isMain = GetDlgItem(window, kInstallButton) != nullptr;
    if (isMain != search->wantMain)
        return TRUE;
    if (search->caption && Driver::Text(window) != *search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

Driver::~Driver() {
    if (m_process && !HasExited()) {
        TerminateProcess(m_process.get(), 99);
        WaitForSingleObject(m_process.get(), kTimeoutMs);
    }
}

bool Driver::Start(const std::string& exe, const std::string& workingDir, const std::string& arguments,
                   HANDLE output) {
    return StartAs(exe, "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments), workingDir, output);
}

bool Driver::StartAs(const std::string& exe, const std::string& commandLine, const std::string& workingDir,
                     HANDLE output) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
    }
    PROCESS_INFORMATION info = {};
    WideText line(commandLine);
    if (!CreateProcessW(WideText(exe).c_str(), line.data(), nullptr, nullptr, output ? TRUE : FALSE, 0,
                        nullptr, workingDir.empty() ? nullptr : WideText(workingDir).c_str(), &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    m_process.reset(info.hProcess);
    m_processId = info.dwProcessId;
    return true;
}

HWND Driver::FindDialog(const std::string* caption, bool wantMain) const {
    Search search{m_processId, caption, wantMain, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Driver::WaitForMainWindow(DWORD timeoutMs) const {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
        if (HWND found = FindDialog(nullptr, true))
            return found;
        if (HasExited())
            return nullptr;
    }
    return nullptr;
}

HWND Driver::WaitForDialog(const std::string& caption, DWORD timeoutMs) const {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
        if (HWND found = FindDialog(&caption, false))
            return found;
        if (HasExited())
            return nullptr;
    }
    return nullptr;
}

bool Driver::NoDialogFor(const std::string& caption, DWORD ms) const {
    return WaitForDialog(caption, ms) == nullptr;
}

bool Driver::WaitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(m_process.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::string Driver::Text(HWND window) {
    // WM_GETTEXT is carried across processes, so it reads another process's controls too; the
    // wide form reads them exactly, in any script.
    // One read into room for the longest text, a licence of 32,767 characters: a length asked for
    // first may be that of the text before, when the window changes it between the two.
    std::vector<wchar_t> text(32768);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kTimeoutMs, &copied))
        return std::string();
    return Utf8Of(text.data(), static_cast<int>(std::min<DWORD_PTR>(copied, text.size() - 1)));
}

std::string Driver::ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? Text(item) : std::string("<no control>");
}

bool Driver::ItemEnabled(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item && IsWindowEnabled(item);
}

void Driver::Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Driver::Dismiss(HWND box, int id) {
    Click(box, id);
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeoutMs; Sleep(10)) {
        if (!IsWindow(box))
            return true;
    }
    return false;
}

bool Driver::Settle(HWND window) {
    // Posted messages to one thread come out in the order they were posted, whichever of its
    // windows they are for: once a marker posted to the window's edit box shows, everything
    // posted before it has been handled (or a box it opened is running). Sent probes alone
    // cannot tell: one may slip in between a handled probe and the post still queued.
    DWORD_PTR limit = 0;
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    if (!edit) {
        return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &limit) &&
               SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &limit);
    }
    // The text limit of a read-only box is the marker: two values that differ from each other.
    const DWORD_PTR kMarkers[] = {0x7FFFFFFE, 0x7FFFFFFD};
    if (!SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &limit))
        return false;
    DWORD_PTR marker = limit == kMarkers[0] ? kMarkers[1] : kMarkers[0];
    PostMessageA(edit, EM_SETLIMITTEXT, marker, 0);
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeoutMs; Sleep(1)) {
        if (!SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &limit))
            return false;
        if (limit == marker)
            return true;
    }
    return false;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}
