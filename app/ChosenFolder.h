// The game folder taken from a file chosen in the browse dialog, and its comparison with the detected one.
#pragma once

#include <string>

class InstallSettings;

class ChosenFolder {
public:
    // The text before the path's last backslash, or the whole path when it has none.
    static std::string FromFilePath(const std::string& path);
    // True unless both name the same folder, whatever their letter case, 8.3 form or trailing backslash.
    static bool DiffersFrom(const std::string& chosen, const std::string& detected,
                            const InstallSettings& settings);
};
