// Copies the files that install.ini lists from the program folder into the game folder.
#include "config/FileCopier.h"

#include <windows.h>

#include <vector>

#include "config/InstallSettings.h"
#include "config/RelativeName.h"
#include "config/SettingsOwner.h"
#include "framework/TextFormat.h"

int FileCopier::CopyListedFiles(const std::string& gameFolder) {
    const std::string programDir = m_settings.GetProgramDir();
    // Read up front, so each file can be told with how many there are.
    std::vector<std::string> names;
    for (int index = 1; index <= kMaxFiles; ++index) {
        std::string name = m_settings.GetIniString("copy_file_", "", index);
        if (name.empty())
            break;
        names.push_back(std::move(name));
    }
    const int count = static_cast<int>(names.size());
    int copied = 0;
    for (int number = 1; number <= count; ++number) {
        const std::string& name = names[number - 1];
        m_settings.m_owner->CopyBegins(name, number, count);
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
        DWORD error = m_settings.m_owner->CopyGameFile(source, destination);
        if (error == ERROR_SUCCESS) {
            ++copied;
            continue;
        }
        if (error == ERROR_CANCELLED)
            break;
        m_settings.m_owner->ShowNotice(
            FormatText("Failed to copy file %s to %s", source.c_str(), destination.c_str()), true);
    }
    return copied;
}
