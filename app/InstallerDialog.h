// The main installer window: folder, licence, copying, and the outcome of packing.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/PendingTexts.h"
#include "app/StatusPanel.h"
#include "framework/BackgroundWork.h"
#include "framework/Button.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/StaticControl.h"
#include "install/InstallFlow.h"
#include "install/InstallFrontEnd.h"
#include "settings/InstallSettings.h"

class InstallerDialog : public Dialog, public InstallFrontEnd, private BackgroundWork::Watcher {
public:
    explicit InstallerDialog(HWND parent);
    ~InstallerDialog() override;

    // Shows a text through the 1725 handling, which accepts only texts lent this way.
    void ShowAppText(const char* text);

    // InstallFrontEnd: notices go through the 2059 handling.
    bool Say(const std::string& text, Tone tone) override;
    void PostNotice(std::string text, Tone tone) override;
    HWND WindowHandle() const override { return Handle(); }
    void AddFileToDelete(const std::string& path) override { m_filesToDelete.push_back(path); }
    void PackRunLaunched(const std::shared_ptr<PackRun>& run) override;
    void CopyBegins(const std::string& name, int number, int count) override;
    void KeepBegins(const std::string& name) override { m_status.ShowKeeping(name); }
    // The work runs on a worker thread while this window goes on answering; leaving stops it.
    DWORD RunFileWork(BackgroundWork::Task& work) override;
    void WorkBegins(const char* task) override;
    void ShowOutcome(const char* text, bool installed) override;
    bool Leaving() const override { return IsEnding(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static const MessageEntry<InstallerDialog> kMessageMap[];

    bool ValidateGameFolder();
    void ResetToDefaultFolder();
    void EnableControls(bool enable);
    void RefreshFolderBox() { UpdateData(false); }
    // The buttons after a successful installation: all usable, the install button saying "Done".
    void ShowInstalled();
    // An installation still holds the game folder after its end: its outcome is not known.
    bool OutcomePending() const { return !m_busy && !m_packRun && m_flow->HoldsFolder(); }
    // True when the message carries the token of the run in flight.
    bool IsOurPackRun(WPARAM token) const;

    // BackgroundWork::Watcher
    void OnProgress(ULONGLONG done, ULONGLONG total) override { m_status.ShowCopied(done, total); }
    bool WantsStop() override { return IsEnding(); }

    void LoadPicture();
    void PaintPicture(const DRAWITEMSTRUCT& frame);

    LRESULT OnSysCommand(WPARAM id, LPARAM lParam);
    void OnRestore();
    void OnPaint();
    LRESULT OnDrawItem(WPARAM id, LPARAM item);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnChangePath();
    void OnInstallNewGui();
    void OnResetDefault();
    void OnDestroy();
    LRESULT OnIgnored(WPARAM, LPARAM);
    LRESULT OnShowAppText(WPARAM, LPARAM text);
    LRESULT OnDone(WPARAM, LPARAM);
    LRESULT OnShowText(WPARAM text, LPARAM tone);
    LRESULT OnPackBegins(WPARAM, LPARAM);
    LRESULT OnPackDone(WPARAM token, LPARAM counts);
    LRESULT OnTimer(WPARAM id, LPARAM);

    StaticControl m_pictureFrame;
    Button m_changePathButton;
    Button m_exitButton;
    Button m_resetDefaultButton;
    Button m_installButton;
    std::string m_gamePath;
    HICON m_hIcon = nullptr;
    bool m_folderDiffersFromDefault = false;
    // Set by the install button before it does anything; cleared again only when that press
    // launched no pack run, or when the run it launched reported failure.
    std::atomic<bool> m_installStarted{false};
    // An installation or a restore is working on the game files; its boxes pump messages.
    bool m_busy = false;
    UniqueGdiObject m_picture;
    LONG m_pictureWidth = 0;
    LONG m_pictureHeight = 0;
    std::unique_ptr<InstallSettings> m_settings;
    std::unique_ptr<InstallFlow> m_flow;
    std::vector<std::string> m_filesToDelete;
    // The pack run in flight, whose watcher alone may report; stopped when the window goes.
    std::shared_ptr<PackRun> m_packRun;
    DWORD m_packStartTick = 0;
    StatusPanel m_status;

    PendingTexts m_pendingTexts;
    std::vector<const char*> m_lentTexts;
};
