// A settings owner that records what the settings object tells the user.
#pragma once

#include <string>
#include <vector>

#include "config/SettingsOwner.h"

class RecordingOwner : public SettingsOwner {
public:
    struct Notice {
        std::string text;
        bool plain;
        bool posted;
    };

    int ShowNotice(std::string text, bool plain) override;
    void PostNotice(std::string text, bool plain) override;
    HWND WindowHandle() const override { return nullptr; }
    void AddFileToDelete(const std::string& path) override { m_filesToDelete.push_back(path); }

    std::vector<Notice> m_notices;
    std::vector<std::string> m_filesToDelete;
};
