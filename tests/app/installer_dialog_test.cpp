// The main window's handling of a pack run's outcome: a real installation in this process.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "app/InstallerDialog.h"
#include "framework/Handles.h"
#include "framework/Utf8.h"
#include "res/resource.h"
#include "support/TempFolder.h"

namespace {
constexpr UINT_PTR kAnswerTimer = 77;

// This program's import slot of a system function, through which all its calls go.
void** ImportSlot(const char* dll, const char* name) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* nt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    void* wanted = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name));
    for (auto* from = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); from->Name;
         ++from)
        for (auto* slot = reinterpret_cast<void**>(base + from->FirstThunk); *slot; ++slot)
            if (*slot == wanted)
                return slot;
    return nullptr;
}

void* Replace(void** slot, void* with) {
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    void* was = *slot;
    *slot = with;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return was;
}

// A shell that passes the file to a program already running, as some do: no process comes back.
// The run it stands for failed, and its log says so.
BOOL WINAPI ShellHandingBackNoProcess(SHELLEXECUTEINFOW* execute) {
    std::string line = ReadWholeFile(Utf8Of(execute->lpFile));
    std::string log = line.substr(line.find("> ") + 2, line.find("\r\n") - line.find("> ") - 2);
    UniqueFileHandle file(CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), "newgui.pff: FAILED\r\n", 20, &written, nullptr);
    execute->hProcess = nullptr;
    return TRUE;
}

// Installs into the given folder as soon as it opens; a timer on the window's thread answers the
// outcome box, then reads the buttons and leaves.
class InstallingDialog : public InstallerDialog {
public:
    explicit InstallingDialog(std::string gameFolder)
        : InstallerDialog(nullptr), m_gameFolder(std::move(gameFolder)) {}

    std::string m_boxText;
    bool m_installEnabled = true;

protected:
    BOOL OnInitDialog() override {
        BOOL result = InstallerDialog::OnInitDialog();
        SetDlgItemTextA(Handle(), IDC_GAME_PATH, m_gameFolder.c_str());
        UpdateData(true);
        PostMessageA(Handle(), WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0);
        m_started = GetTickCount();
        SetTimer(Handle(), kAnswerTimer, 20, nullptr);
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != WM_TIMER || wParam != kAnswerTimer)
            return InstallerDialog::OnMessage(message, wParam, lParam, result);
        if (!m_box && (m_box = FindWindowA("#32770", "KSInstaller"))) {
            char text[512] = "";
            GetDlgItemTextA(m_box, 0xFFFF, text, sizeof text);
            m_boxText = text;
            PostMessageA(m_box, WM_COMMAND, IDOK, 0);
        } else if (m_box && !IsWindow(m_box)) {
            // Gone, so the handler that showed it has returned.
            m_installEnabled = IsWindowEnabled(GetDlgItem(Handle(), IDC_INSTALL)) != FALSE;
            EndDialog(IDCANCEL);
        } else if (GetTickCount() - m_started > 10000) {
            EndDialog(IDCANCEL);
        }
        return true;
    }

private:
    const std::string m_gameFolder;
    HWND m_box = nullptr;
    DWORD m_started = 0;
};
} // namespace

TEST(InstallerDialog, RunJudgedWithoutItsProcessLeavesInstallDisabledAfterItsFailureBox) {
    TempFolder game, addon;
    game.WriteFile("pack.exe", "MZ");
    game.WriteFile("gui.pff", "archive");
    // The window reads the install.ini beside the program that runs it: this test's, for now.
    char module[MAX_PATH];
    std::string ini(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    ini = ini.substr(0, ini.rfind('\\')) + "\\install.ini";
    WritePrivateProfileStringA("installer", "ks_version", "KS2", ini.c_str());
    WritePrivateProfileStringA("installer", "source_pff", addon.WriteFile("newgui.pff", "new").c_str(),
                               ini.c_str());
    WritePrivateProfileStringA("installer", "destination_pff", "gui.pff", ini.c_str());
    void** shell = ImportSlot("shell32.dll", "ShellExecuteExW");
    ASSERT_NE(shell, nullptr);
    void* realShell = Replace(shell, reinterpret_cast<void*>(&ShellHandingBackNoProcess));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    InstallingDialog dialog(game.Path());
    INT_PTR ended = dialog.DoModal();
    Replace(shell, realShell);
    DeleteFileA(ini.c_str());
    ASSERT_EQ(ended, IDCANCEL);
    EXPECT_EQ(dialog.m_boxText.rfind("Packing failed: 0 of 1 archives reported OK. See the log ", 0), 0u)
        << dialog.m_boxText;
    // It may still be packing: a second run must never start beside it.
    EXPECT_FALSE(dialog.m_installEnabled);
}
