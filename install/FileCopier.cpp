// Copies the files that install.ini lists from the program folder into the game folder.
#include "install/FileCopier.h"

#include <windows.h>

#include <vector>

#include "framework/TextFormat.h"
#include "install/GameBackup.h"
#include "install/InstallFrontEnd.h"
#include "install/KeepTask.h"
#include "install/RelativeName.h"
#include "settings/InstallSettings.h"

using Tone = InstallFrontEnd::Tone;

namespace {
class CopyTask : public BackgroundWork::Task {
public:
    CopyTask(const std::string& from, const std::string& to, const std::string& temporary)
        : m_from(from), m_to(to), m_temporary(temporary) {}
    DWORD Run(FileTransfer::Progress& progress) override {
        return FileTransfer::CopyWhole(m_from.c_str(), m_to.c_str(), m_temporary.c_str(), &progress);
    }

private:
    const std::string& m_from;
    const std::string& m_to;
    const std::string& m_temporary;
};
} // namespace

bool FileCopier::FileThere(const InstallSettings& settings, InstallFrontEnd& face, const std::string& path) {
    if (settings.FileExists(path))
        return true;
    face.Say("The file does not exist: " + settings.InProgramDir(path), Tone::Notice);
    return false;
}

int FileCopier::CopyListedFiles(const std::string& gameFolder) {
    const std::string programDir = m_settings.GetProgramDir();
    GameBackup backup(gameFolder);
    // Read up front, so each file can be told with how many there are.
    std::vector<std::string> names;
    for (int index = 1; index <= kMaxFiles; ++index) {
        std::string name = m_settings.GetIniString("copy_file_", "", index);
        if (name.empty())
            break;
        names.push_back(std::move(name));
    }
    const int count = static_cast<int>(names.size());
    m_listed = count;
    int copied = 0;
    // Once the user is leaving, nothing more is started; what was done is listed as it is.
    for (int number = 1; number <= count && !m_face.Leaving(); ++number) {
        const std::string& name = names[number - 1];
        m_face.CopyBegins(name, number, count);
        std::string source;
        std::string destination;
        const char* refusedIn = nullptr;
        if (!RelativeName::JoinInside(programDir, name, source))
            refusedIn = "the add-on folder";
        else if (!RelativeName::JoinInside(gameFolder, name, destination))
            refusedIn = "the game folder";
        if (refusedIn) {
            m_face.Say(FormatText("The file name %s in install.ini is not allowed: it must name a "
                                  "file inside %s. It was not copied.",
                                  name.c_str(), refusedIn),
                       Tone::Notice);
            continue;
        }
        if (!FileThere(m_settings, m_face, source))
            continue;
        bool kept = false;
        DWORD error = KeepTask::KeepFor(m_face, backup, name, &kept);
        if (error == ERROR_CANCELLED)
            break;
        if (error) {
            m_face.Say(FormatText("The game file %s could not be kept before it is "
                                  "replaced (error %lu), so it was left as it is.",
                                  destination.c_str(), error),
                       Tone::NoticeWarning);
            continue;
        }
        // Back from "Keeping the original" to the copy itself.
        if (kept)
            m_face.CopyBegins(name, number, count);
        const std::string temporary = backup.TemporaryPath();
        CopyTask copy(source, destination, temporary);
        error = m_face.RunFileWork(copy);
        if (error == ERROR_SUCCESS) {
            ++copied;
            continue;
        }
        // Nothing of ours is there: a file of that name made later is no restore's to delete.
        backup.TakeBack(name);
        if (error == ERROR_CANCELLED)
            break;
        m_face.Say(FormatText("Failed to copy file %s to %s", source.c_str(), destination.c_str()),
                   Tone::Notice);
    }
    return copied;
}
