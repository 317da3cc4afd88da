// The main installer window: folder, licence, copying, and the outcome of packing.
#include "app/InstallerDialog.h"

#include <algorithm>

#include "app/AboutDialog.h"
#include "app/ChosenFolder.h"
#include "folders/CFindFolder.h"
#include "framework/Application.h"
#include "framework/MessageBoxes.h"
#include "framework/WideText.h"
#include "install/RestoreFlow.h"
#include "pack/Messages.h"
#include "pack/PackRun.h"
#include "res/resource.h"

namespace {
constexpr const char* kNoticeCaption = "KSInstaller";
constexpr UINT_PTR kPackClock = 1;
// Ample for the command interpreter to start and open its redirection, even on a busy machine.
constexpr DWORD kLogAppearsMs = 10000;
} // namespace

const MessageEntry<InstallerDialog> InstallerDialog::kMessageMap[] = {
    {WM_SYSCOMMAND, &InstallerDialog::OnSysCommand},
    {WM_PAINT, &InstallerDialog::OnPaint},
    {WM_DRAWITEM, &InstallerDialog::OnDrawItem},
    {WM_QUERYDRAGICON, &InstallerDialog::OnQueryDragIcon},
    {BN_CLICKED, IDC_CHANGE_PATH, &InstallerDialog::OnChangePath},
    {BN_CLICKED, IDC_INSTALL, &InstallerDialog::OnInstallNewGui},
    {BN_CLICKED, IDC_RESET_DEFAULT, &InstallerDialog::OnResetDefault},
    {WM_DESTROY, &InstallerDialog::OnDestroy},
    {kMsgIgnored, &InstallerDialog::OnIgnored},
    {kMsgShowAppText, &InstallerDialog::OnShowAppText},
    {kMsgDone, &InstallerDialog::OnDone},
    {kMsgShowText, &InstallerDialog::OnShowText},
    {kMsgPackBegins, &InstallerDialog::OnPackBegins},
    {kMsgPackDone, &InstallerDialog::OnPackDone},
    {WM_TIMER, &InstallerDialog::OnTimer},
};

InstallerDialog::InstallerDialog(HWND parent) : Dialog(IDD_KSINSTALLER_DIALOG, parent) {
    m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_settings = std::make_unique<InstallSettings>();
    m_flow = std::make_unique<InstallFlow>(*m_settings, *this);
    LoadPicture();
}

InstallerDialog::~InstallerDialog() = default;

bool InstallerDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return DispatchMessageMap(*this, kMessageMap, message, wParam, lParam, result);
}

void InstallerDialog::DoDataExchange(DataExchange& dx) {
    dx.Control(IDC_PICTURE, m_pictureFrame);
    dx.Control(IDC_CHANGE_PATH, m_changePathButton);
    dx.Control(IDOK, m_exitButton);
    dx.Control(IDC_RESET_DEFAULT, m_resetDefaultButton);
    dx.Control(IDC_INSTALL, m_installButton);
    dx.Text(IDC_GAME_PATH, m_gamePath);
}

BOOL InstallerDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    // Every paint of the frame, whatever causes it, then draws the picture instead of the
    // frame's text: covering, moving or a box over the window cannot lose it.
    HWND frame = m_pictureFrame.Handle();
    LONG_PTR style = GetWindowLongPtrW(frame, GWL_STYLE);
    SetWindowLongPtrW(frame, GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_OWNERDRAW);
    m_status.Attach(Handle());

    if (HMENU systemMenu = GetSystemMenu(Handle(), FALSE)) {
        wchar_t about[256];
        int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, 256);
        if (length > 0) {
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
        AppendMenuW(systemMenu, MF_STRING, IDM_RESTORE, L"Restore &Original Game Files...");
    }
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_installButton.SetText(m_settings->GetIniString("install_button_text", "Install New GUI", -1));
    Window(Handle()).SetText(m_settings->GetIniString("dialog_title", "Carrowind Expansion Pak", -1));

    std::string licence = m_settings->GetIniText("eula_text");
    if (!licence.empty() && ShowMessageBox(Handle(), licence, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        PostMessageW(Handle(), WM_CLOSE, 0, 0);

    ResetToDefaultFolder();
    ValidateGameFolder();
    return TRUE;
}

bool InstallerDialog::ValidateGameFolder() {
    bool valid =
        !m_gamePath.empty() && GetFileAttributesW(WideText(m_gamePath).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!valid) {
        m_gamePath.clear();
        RefreshFolderBox();
    }
    m_installButton.Enable(valid && !OutcomePending());
    return valid;
}

void InstallerDialog::ResetToDefaultFolder() {
    m_gamePath = m_settings->DetectGameFolder();
    RefreshFolderBox();
    m_folderDiffersFromDefault = false;
    m_resetDefaultButton.Enable(false);
}

void InstallerDialog::EnableControls(bool enable) {
    m_installStarted = true;
    if (enable)
        m_exitButton.Enable(true);
    enable = enable && !OutcomePending();
    m_installButton.Enable(enable);
    m_resetDefaultButton.Enable(enable && m_folderDiffersFromDefault);
    m_changePathButton.Enable(enable);
    EnableMenuItem(GetSystemMenu(Handle(), FALSE), IDM_RESTORE,
                   MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

LRESULT InstallerDialog::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        AboutDialog about(nullptr);
        about.DoModal();
    } else if ((id & 0xFFF0) == IDM_RESTORE) {
        OnRestore();
    } else {
        LetDefaultHandle();
    }
    return 0;
}

void InstallerDialog::OnRestore() {
    // Not while a run is busy with the game files: its boxes let a posted command through.
    if (m_busy || m_packRun || OutcomePending())
        return;
    m_busy = true;
    // The copies back let the window's messages through: nothing but Exit may be pressed, and
    // afterwards the install button is as it was.
    const bool installStarted = m_installStarted;
    const bool installEnabled = IsWindowEnabled(m_installButton.Handle()) != FALSE;
    RestoreFlow::Result result = RestoreFlow(*this).Restore(m_gamePath);
    m_busy = false;
    if (!RestoreFlow::Worked(result) || IsEnding())
        return;
    m_status.Clear();
    EnableControls(true);
    m_installButton.Enable(installEnabled);
    m_installStarted = installStarted;
}

void InstallerDialog::OnPaint() {
    if (!IsIconic(Handle())) {
        // The frame paints the picture itself (OnDrawItem) whenever it is painted.
        LetDefaultHandle();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(Handle(), &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(Handle(), &paint);
}

LRESULT InstallerDialog::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(m_hIcon);
}

void InstallerDialog::OnChangePath() {
    // Not during an installation's copies, nor a click queued before packing disabled the button.
    if (m_busy || m_packRun || OutcomePending())
        return;
    const std::string& archive = m_settings->m_destinationPff;
    std::string initialName;
    if (m_gamePath.empty())
        initialName = archive;
    else if (m_gamePath.back() == '\\')
        initialName = m_gamePath + archive;
    else
        initialName = m_gamePath + "\\" + archive;
    // Without OFN_NOCHANGEDIR the dialog leaves the process in the folder the user browsed to,
    // and every relative path after it would resolve there.
    CFindFolder browse(TRUE, nullptr, initialName.c_str(),
                       OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR, nullptr,
                       nullptr);
    browse.m_ofn.lpstrTitle = L"Browse for Kestrel Squad Folder";
    if (browse.DoModal() != IDOK)
        return;

    m_gamePath = ChosenFolder::FromFilePath(browse.GetPathName());
    RefreshFolderBox();
    std::string chosen = m_gamePath;
    m_folderDiffersFromDefault =
        ChosenFolder::DiffersFrom(chosen, m_settings->DetectGameFolder(), *m_settings);
    m_resetDefaultButton.Enable(m_folderDiffersFromDefault);
    if (!ValidateGameFolder())
        ShowMessageBox(Handle(), "The path " + chosen + " is not valid.", MB_OK | MB_ICONEXCLAMATION);
}

void InstallerDialog::OnResetDefault() {
    if (m_busy || m_packRun || OutcomePending())
        return;
    ResetToDefaultFolder();
    // The detected folder may be missing; the install button must follow it, as at start-up.
    ValidateGameFolder();
}

void InstallerDialog::OnInstallNewGui() {
    // Taken at once: the boxes and the shell call below pump messages, and a press that slips
    // in there must not start a second installation.
    if (m_busy || m_installStarted.exchange(true))
        return;
    m_busy = true;
    InstallFlow::Result result = m_flow->Install(m_gamePath);
    m_busy = false;
    if (result == InstallFlow::Result::Launched || IsEnding())
        return;
    if (result == InstallFlow::Result::NoFolder)
        ValidateGameFolder();
    else if (result != InstallFlow::Result::Busy)
        EnableControls(true);
    // Nothing runs, so the user may try again; a file that failed stays told.
    if (result != InstallFlow::Result::FileFailed)
        m_status.Clear();
    m_installStarted = false;
}

void InstallerDialog::WorkBegins(const char* task) {
    // The work lets the window's messages through: nothing but Exit may be pressed meanwhile.
    EnableControls(false);
    if (task)
        m_status.ShowTask(task);
}

void InstallerDialog::ShowOutcome(const char* text, bool installed) {
    m_status.ShowOutcome(text, installed);
    if (installed)
        ShowInstalled();
}

void InstallerDialog::ShowInstalled() {
    EnableControls(true);
    m_installButton.SetText("Done");
    m_installStarted = true;
}

void InstallerDialog::CopyBegins(const std::string& name, int number, int count) {
    m_status.ShowCopying(name, number, count);
}

DWORD InstallerDialog::RunFileWork(BackgroundWork::Task& work) {
    if (IsEnding())
        return ERROR_CANCELLED;
    return BackgroundWork::Run(work, *this, Handle());
}

void InstallerDialog::PackRunLaunched(const std::shared_ptr<PackRun>& run) {
    m_packRun = run;
    m_packStartTick = GetTickCount();
    m_status.ShowPacking(m_settings->m_destinationPff, 0);
    SetTimer(Handle(), kPackClock, 1000, nullptr);
    // Now, before anything is pumped: 2060 is posted and comes after clicks already queued.
    EnableControls(false);
}

LRESULT InstallerDialog::OnTimer(WPARAM id, LPARAM) {
    if (id == kPackClock && m_packRun)
        m_status.ShowPacking(m_settings->m_destinationPff, (GetTickCount() - m_packStartTick) / 1000);
    return 0;
}

bool InstallerDialog::IsOurPackRun(WPARAM token) const {
    return m_packRun && token == m_packRun->Token();
}

void InstallerDialog::OnDestroy() {
    // The watcher must not post to a window that is gone. A batch just launched may not hold the
    // tool's log yet, and once this process ends nothing else keeps the folder busy meanwhile.
    if (m_packRun) {
        m_packRun->Stop();
        m_packRun->AwaitLog(kLogAppearsMs);
    }
    for (const std::string& path : m_filesToDelete)
        DeleteFileW(WideText(path).c_str());
    m_flow.reset();
    m_settings.reset();
}

bool InstallerDialog::Say(const std::string& text, Tone tone) {
    // Once the user is leaving, nothing more is said.
    if (IsEnding())
        return false;
    static constexpr UINT kTypes[] = {
        MB_OK, MB_OK | MB_ICONINFORMATION, MB_OK | MB_ICONEXCLAMATION,   MB_OKCANCEL | MB_ICONQUESTION,
        MB_OK, MB_OK | MB_ICONEXCLAMATION, MB_OKCANCEL | MB_ICONQUESTION};
    const bool notice = tone >= Tone::Notice;
    return ShowMessageBox(Handle(), text, kTypes[static_cast<int>(tone)],
                          notice ? kNoticeCaption : nullptr) == IDOK;
}

void InstallerDialog::PostNotice(std::string text, Tone tone) {
    WPARAM address = m_pendingTexts.Add(std::move(text));
    if (!PostMessageW(Handle(), kMsgShowText, address, static_cast<LPARAM>(tone)))
        m_pendingTexts.Take(address);
}

void InstallerDialog::ShowAppText(const char* text) {
    m_lentTexts.push_back(text);
    SendMessageW(Handle(), kMsgShowAppText, 0, reinterpret_cast<LPARAM>(text));
    m_lentTexts.erase(std::find(m_lentTexts.begin(), m_lentTexts.end(), text));
}

LRESULT InstallerDialog::OnIgnored(WPARAM, LPARAM) {
    return 0;
}

LRESULT InstallerDialog::OnShowAppText(WPARAM, LPARAM text) {
    // An address from another process, or any we did not lend, would be read as garbage.
    auto lent = reinterpret_cast<const char*>(text);
    if (std::find(m_lentTexts.begin(), m_lentTexts.end(), lent) != m_lentTexts.end())
        AppMessageBox(lent, MB_OK);
    return 0;
}

LRESULT InstallerDialog::OnDone(WPARAM, LPARAM) {
    // Only the run itself may end packing; this message may come from anyone, also while an
    // installation's copies or a restore are still at work under one of their boxes.
    if (m_packRun || m_busy)
        return 0;
    ShowInstalled();
    Say(InstallFlow::kInstallDone, Tone::Plain);
    return 0;
}

LRESULT InstallerDialog::OnShowText(WPARAM text, LPARAM tone) {
    // Only texts handed over through PostNotice are ours to show and free.
    std::unique_ptr<std::string> owned = m_pendingTexts.Take(text);
    if (!owned || tone < static_cast<LPARAM>(Tone::Plain) || tone > static_cast<LPARAM>(Tone::NoticeQuestion))
        return 0;
    return Say(*owned, static_cast<Tone>(tone));
}

LRESULT InstallerDialog::OnPackBegins(WPARAM token, LPARAM) {
    if (IsOurPackRun(token))
        EnableControls(false);
    return 0;
}

LRESULT InstallerDialog::OnPackDone(WPARAM token, LPARAM counts) {
    if (!IsOurPackRun(token))
        return 0;
    std::shared_ptr<PackRun> run = std::move(m_packRun);
    KillTimer(Handle(), kPackClock);
    // The number of sources is the run's own; the message only has room for a clamped copy.
    if (m_flow->PackEnded(*run, LOWORD(counts)) != InstallFlow::Result::PackFailed)
        return 0;
    // Back to ready: the buttons as before packing and the install button usable again; while a
    // run judged without its process may still be packing, the folder stays taken and they stay off.
    m_status.Clear();
    EnableControls(true);
    if (run->ProcessWatched())
        m_installStarted = false;
    return 0;
}
