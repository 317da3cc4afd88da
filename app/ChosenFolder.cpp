// The game folder taken from a file chosen in the browse dialog, and its comparison with the detected one.
#include "app/ChosenFolder.h"

#include <windows.h>

#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "settings/InstallSettings.h"

namespace {

// Lower case, then the short form; a registry path may end in a backslash that the chosen folder
// never has.
std::string ComparableForm(std::string folder, const InstallSettings& settings) {
    if (!folder.empty()) {
        WideText wide(folder);
        CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.Length()));
        folder = Utf8Of(wide.c_str(), wide.Length());
    }
    std::string form = settings.GetShortPath(folder);
    while (!form.empty() && form.back() == '\\')
        form.pop_back();
    return form;
}

} // namespace

std::string ChosenFolder::FromFilePath(const std::string& path) {
    std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

bool ChosenFolder::DiffersFrom(const std::string& chosen, const std::string& detected,
                               const InstallSettings& settings) {
    return ComparableForm(chosen, settings) != ComparableForm(detected, settings);
}
