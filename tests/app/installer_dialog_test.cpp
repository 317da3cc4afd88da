// The main window's handling of a pack run's outcome, driven on its own thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "app/InstallerDialog.h"
#include "pack/PackJob.h"
#include "res/resource.h"
#include "support/TempFolder.h"

namespace {
constexpr UINT_PTR kAnswerTimer = 77;

// Packs through a shell that hands back no process, as one that passes the file to a program
// already running may, and whose run has failed; a timer on the window's thread answers the
// failure box, then reads the buttons and leaves.
class FailedRunDialog : public InstallerDialog {
public:
    FailedRunDialog() : InstallerDialog(nullptr) {}

    TempFolder m_folder;
    std::vector<std::string> m_sources{"newgui.pff"};
    bool m_launched = false;
    std::string m_boxText;
    bool m_installEnabled = true;

protected:
    BOOL OnInitDialog() override {
        BOOL result = InstallerDialog::OnInitDialog();
        PackJob::Inputs in;
        in.editionCode = "KS2";
        in.destinationPff = "gui.pff";
        in.gameFolder = in.programDir = m_folder.Path();
        in.sourcePffs = &m_sources;
        in.fileExists = in.nameIsSafe = [](const std::string&) { return true; };
        in.shortPath = [](const std::string& path) { return path; };
        in.tickCount = [] { return DWORD(5); };
        in.shellExecute = [this](SHELLEXECUTEINFOA*) {
            m_folder.WriteFile("log_5.txt", "newgui.pff: FAILED\r\n");
            return TRUE;
        };
        m_launched = PackJob(std::move(in), *this).Run(true);
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
    HWND m_box = nullptr;
    DWORD m_started = 0;
};
} // namespace

TEST(InstallerDialog, RunJudgedWithoutItsProcessLeavesInstallDisabledAfterItsFailureBox) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    FailedRunDialog dialog;
    ASSERT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog.m_launched);
    EXPECT_EQ(dialog.m_boxText,
              "Packing failed: 0 of 1 archives reported OK. See the log " + dialog.m_folder / "log_5.txt");
    // It may still be packing: a second run must never start beside it.
    EXPECT_FALSE(dialog.m_installEnabled);
}
