// A scratch folder under %TEMP%, removed with everything in it at the end of the test.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class TempFolder {
public:
    TempFolder();
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

std::string ReadWholeFile(const std::string& path);
bool PathExists(const std::string& path);
void RemoveTree(const std::string& path);
// Calls `visit` for everything below `folder`, folders before their content, with the name
// relative to `folder`.
void WalkTree(const std::string& folder,
              const std::function<void(const std::string& relative, const WIN32_FIND_DATAA& found)>& visit);
