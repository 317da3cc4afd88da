// Copies the files that install.ini lists from the program folder into the game folder.
#pragma once

#include <string>

#include "framework/FileTransfer.h"

class InstallFrontEnd;
class InstallSettings;

class FileCopier {
public:
    static constexpr int kMaxFiles = 30;

    FileCopier(InstallSettings& settings, InstallFrontEnd& face) : m_settings(settings), m_face(face) {}

    // True for an existing file that is not a folder (relative: in the program folder); tells the
    // front end of any other.
    static bool FileThere(const InstallSettings& settings, InstallFrontEnd& face, const std::string& path);

    // Copies copy_file_1 upwards until the first empty key or the thirtieth, overwriting what
    // is there once its original is kept; reports each missing, refused, unkept or failed file
    // and goes on, but stops at once when the owner says the user is leaving. Returns the
    // number copied.
    int CopyListedFiles(const std::string& gameFolder);
    // How many files the last CopyListedFiles found listed.
    int Listed() const { return m_listed; }

private:
    InstallSettings& m_settings;
    InstallFrontEnd& m_face;
    int m_listed = 0;
};
