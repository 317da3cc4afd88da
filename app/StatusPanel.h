// The status line and progress bar under the folder box: what the installer is doing now.
#pragma once

#include <windows.h>

#include <string>

class StatusPanel {
public:
    void Attach(HWND dialog);

    // The bar moves by file, and within a file by the part of it copied.
    void ShowCopying(const std::string& name, int number, int count);
    void ShowCopied(ULONGLONG done, ULONGLONG total);
    // Within the copies the bar stays at the file's place; on its own the bar is the file's.
    void ShowKeeping(const std::string& name);
    // One piece of file work on its own, the bar empty until it moves.
    void ShowTask(const char* text);
    // The bar runs as a marquee while packing: how long the tool takes is not known.
    void ShowPacking(const std::string& archive, DWORD seconds);
    // The outcome, with the bar full or empty.
    void ShowOutcome(const char* text, bool full);
    void Clear() { ShowOutcome("", false); }

    // The texts as the line shows them, for whoever tells the same without a window.
    static std::string CopyingText(const std::string& name, int number, int count);
    static std::string KeepingText(const std::string& name);
    // Followed by the seconds on the line.
    static std::string PackingText(const std::string& archive);

private:
    static constexpr int kStepsPerFile = 100;

    void SetText(const char* text) const { SetWindowTextA(m_text, text); }
    void SetMarquee(bool on);

    HWND m_text = nullptr;
    HWND m_bar = nullptr;
    int m_fileNumber = 0;
    bool m_marquee = false;
};
