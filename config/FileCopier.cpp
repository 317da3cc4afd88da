// Copies the files that install.ini lists from the program folder into the game folder.
#include "config/FileCopier.h"

#include <windows.h>

#include "config/GameBackup.h"
#include "config/InstallSettings.h"
#include "config/RelativeName.h"
#include "config/SettingsOwner.h"
#include "framework/TextFormat.h"

int FileCopier::CopyListedFiles(const std::string& gameFolder, FileTransfer::Progress* progress) {
    const std::string programDir = m_settings.GetProgramDir();
    GameBackup backup(gameFolder);
    int copied = 0;
    for (int index = 1; index <= kMaxFiles; ++index) {
        std::string name = m_settings.GetIniString("copy_file_", "", index);
        if (name.empty())
            break;
        std::string source;
        std::string destination;
        const char* refusedIn = nullptr;
        if (!RelativeName::JoinInside(programDir, name, source))
            refusedIn = "the add-on folder";
        else if (!RelativeName::JoinInside(gameFolder, name, destination))
            refusedIn = "the game folder";
        if (refusedIn) {
            m_settings.m_owner->ShowNotice(
                FormatText("The file name %s in install.ini is not allowed: it must name a "
                           "file inside %s. It was not copied.",
                           name.c_str(), refusedIn),
                true);
            continue;
        }
        if (!m_settings.FileExists(source))
            continue;
        if (DWORD error = backup.Keep(name, progress)) {
            m_settings.m_owner->ShowWarning(FormatText("The game file %s could not be kept before it is "
                                                       "replaced (error %lu), so it was left as it is.",
                                                       destination.c_str(), error));
            continue;
        }
        if (CopyFileA(source.c_str(), destination.c_str(), FALSE)) {
            ++copied;
            continue;
        }
        m_settings.m_owner->ShowNotice(
            FormatText("Failed to copy file %s to %s", source.c_str(), destination.c_str()), true);
    }
    return copied;
}
