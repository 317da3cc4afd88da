// Where the picture named by install.ini is looked for.
#pragma once

#include <string>
#include <vector>

class PictureFile {
public:
    // The paths to try, in order. A relative name is tried in the program folder first, then as
    // given, which the loader resolves from the current directory; a drive-absolute path is
    // tried as given. Empty for a name that could reach outside those folders, a device or
    // another machine.
    static std::vector<std::string> Candidates(const std::string& name, const std::string& programDir);
};
