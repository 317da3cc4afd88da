// A scratch folder under %TEMP%, removed with everything in it at the end of the test. Paths are UTF-8.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TempFolder {
public:
    // The suffix ends the folder's name: a test may give it characters of any script.
    explicit TempFolder(const std::string& suffix = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, without a trailing backslash.
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

    // Creates the file (and its folders) with the given content; returns its full path.
    std::string WriteFile(const std::string& name, const std::string& content) const;
    std::string MakeFolder(const std::string& name) const;

private:
    std::string m_path;
};

// These reach files through the file work's seam, so they serve a test's files in memory too.
std::string ReadWholeFile(const std::string& path);
// Makes the file (and its folders) with the given content; returns the content.
std::string WriteWholeFile(const std::string& path, const std::string& content);
bool PathExists(const std::string& path);
// Removes a folder and what is below it; links are removed, never followed.
void RemoveTree(const std::string& path);
// Makes `link` a link to the folder `target`, as a player's junction to another drive would be:
// a directory symbolic link on Windows; Wine 8 only pretends to make one, so there a Unix symbolic
// link, which Wine shows as a directory reparse point. False when neither can be made.
bool MakeFolderLink(const std::string& link, const std::string& target);
// Removes such a link, never what it leads to; Wine 8 cannot remove one through its own calls.
void RemoveFolderLink(const std::string& link);
// Calls `visit` for everything below `folder`, folders before their content, with the name
// relative to `folder`.
void WalkTree(const std::string& folder,
              const std::function<void(const std::string& relative, const WIN32_FIND_DATAW& found)>& visit);
