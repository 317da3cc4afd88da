// The status line and progress bar under the folder box: what the installer is doing now.
#include "app/StatusPanel.h"

#include <commctrl.h>

#include "framework/TextFormat.h"
#include "res/resource.h"

void StatusPanel::Attach(HWND dialog) {
    m_text = GetDlgItem(dialog, IDC_STATUS);
    m_bar = GetDlgItem(dialog, IDC_PROGRESS);
}

void StatusPanel::ShowCopying(const std::string& name, int number, int count) {
    SetMarquee(false);
    m_fileNumber = number;
    SendMessageA(m_bar, PBM_SETRANGE32, 0, count * kStepsPerFile);
    SendMessageA(m_bar, PBM_SETPOS, (number - 1) * kStepsPerFile, 0);
    SetText(CopyingText(name, number, count).c_str());
}

void StatusPanel::ShowCopied(ULONGLONG done, ULONGLONG total) {
    if (m_fileNumber <= 0 || total == 0 || done > total)
        return;
    int step = static_cast<int>(done * kStepsPerFile / total);
    SendMessageA(m_bar, PBM_SETPOS, (m_fileNumber - 1) * kStepsPerFile + step, 0);
}

void StatusPanel::ShowKeeping(const std::string& name) {
    std::string text = KeepingText(name);
    if (m_fileNumber == 0)
        ShowTask(text.c_str());
    else
        SetText(text.c_str());
}

void StatusPanel::ShowTask(const char* text) {
    ShowOutcome(text, false);
    m_fileNumber = 1;
}

void StatusPanel::ShowPacking(const std::string& archive, DWORD seconds) {
    SetMarquee(true);
    SetText(FormatText("%s %lu s", PackingText(archive).c_str(), seconds).c_str());
}

void StatusPanel::ShowOutcome(const char* text, bool full) {
    SetMarquee(false);
    m_fileNumber = 0;
    SendMessageA(m_bar, PBM_SETRANGE32, 0, kStepsPerFile);
    SendMessageA(m_bar, PBM_SETPOS, full ? kStepsPerFile : 0, 0);
    SetText(text);
}

void StatusPanel::SetMarquee(bool on) {
    if (on == m_marquee)
        return;
    m_marquee = on;
    LONG_PTR style = GetWindowLongPtrA(m_bar, GWL_STYLE);
    SetWindowLongPtrA(m_bar, GWL_STYLE,
                      on ? style | PBS_MARQUEE : style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    SendMessageA(m_bar, PBM_SETMARQUEE, on ? TRUE : FALSE, 0);
}

std::string StatusPanel::CopyingText(const std::string& name, int number, int count) {
    return FormatText("Copying %s (%d of %d)", name.c_str(), number, count);
}

std::string StatusPanel::KeepingText(const std::string& name) {
    return "Keeping the original " + name;
}

std::string StatusPanel::PackingText(const std::string& archive) {
    return "Packing " + archive + "...";
}
