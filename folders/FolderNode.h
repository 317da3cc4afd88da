// One folder of the chooser's tree: the chain from the drive to the current folder and its subfolders.
#pragma once

#include <string>
#include <vector>

class FolderNode {
public:
    // Rebuilds this node as the top of the chain for `path` (which ends with a backslash) and reads the
    // last folder's subfolders; false when the folder is not there, the node then keeping its own fields.
    bool BuildFromPath(std::string path);
    // Whether a file or folder is at `path`, one trailing backslash aside.
    static bool PathExists(const std::string& path);
    // Replaces the children with the folder's subfolders as the directory search returns them.
    void ScanSubfolders(bool shown);
    void ClearChildren();

    std::string m_name;
    std::string m_path;
    bool m_onPath = false;
    bool m_shown = false;
    int m_level = 0;
    std::vector<FolderNode> m_children;
};
