// Checks a file name from install.ini that is joined to a folder of ours.
#pragma once

#include <string>

class RelativeName {
public:
    // True for a name that stays inside the folder it is joined to: no drive, root or UNC
    // prefix, no stream or device name, no ".." and no component that Windows would trim.
    static bool IsSafe(const std::string& name);

    // Joins a safe name to the folder and keeps the result only when its full path still lies
    // inside that folder; false (and joined left empty) otherwise.
    static bool JoinInside(const std::string& folder, const std::string& name, std::string& joined);

    // Letter case aside, character by character as the file system compares names; no language's
    // rules, which take "strasse" and "stra\xdfe" for one word.
    static bool SameName(const std::string& a, const std::string& b);
    // The name with each part that exists below the folder written as the disk names it (letter
    // case aside), so a short name ("DATAFI~1") becomes the long one; what does not exist yet stays
    // as given. Backslashes.
    static std::string LongName(const std::string& folder, const std::string& name);
};
