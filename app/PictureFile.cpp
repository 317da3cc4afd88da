// Where the picture named by install.ini is looked for.
#include "app/PictureFile.h"

#include <cctype>

#include "install/RelativeName.h"

namespace {

// "C:\pics\splash.bmp": a full path its maker wrote, with no device, stream or ".." in its folders.
bool IsSafeDrivePath(const std::string& name) {
    return name.size() > 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
           (name[2] == '\\' || name[2] == '/') && RelativeName::IsSafe(name.substr(3));
}

} // namespace

std::vector<std::string> PictureFile::Candidates(const std::string& name, const std::string& programDir) {
    if (IsSafeDrivePath(name))
        return {name};
    if (!RelativeName::IsSafe(name))
        return {};
    std::vector<std::string> candidates;
    if (!programDir.empty())
        candidates.push_back(programDir + "\\" + name);
    candidates.push_back(name);
    return candidates;
}
