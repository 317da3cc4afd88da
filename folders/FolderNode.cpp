// One folder of the chooser's tree: the chain from the drive to the current folder and its subfolders.
#include "folders/FolderNode.h"

#include <windows.h>

#include "framework/Handles.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {
bool IsBareDrive(const std::string& path) {
    return path.size() == 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}
} // namespace

void FolderNode::ClearChildren() {
    std::vector<FolderNode>().swap(m_children);
}

bool FolderNode::BuildFromPath(std::string path) {
    // Taken by value: the text may come from a node that the next line destroys.
    ClearChildren();
    // A caller that forgot the closing backslash still gets the folder it named.
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    if (!PathExists(path))
        return false;

    const std::string::size_type last = path.size() - 1;
    std::string::size_type start = 0;
    std::string::size_type end = path.find('\\');
    int level = 0;
    FolderNode* node = this;
    for (;;) {
        node->m_name = path.substr(start, end - start);
        node->m_path = path.substr(0, end);
        node->m_level = level++;
        node->m_shown = true;
        node->m_onPath = true;
        if (end >= last)
            break;
        start = end + 1;
        end = path.find('\\', start);
        node->m_children.insert(node->m_children.begin(), FolderNode());
        node = &node->m_children.front();
    }
    node->ScanSubfolders(true);
    return true;
}

bool FolderNode::PathExists(const std::string& path) {
    std::string target = path;
    if (!target.empty() && target.back() == '\\')
        target.pop_back();
    // A wildcard would let the search report some other entry as this one.
    if (target.empty() || target.find_first_of("*?") != std::string::npos)
        return false;
    // A search for the bare drive text finds nothing; its root folder is what the name stands for.
    if (IsBareDrive(target)) {
        DWORD attributes = GetFileAttributesW(WideText(target + "\\").c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(WideText(target).c_str(), &found));
    return static_cast<bool>(search);
}

void FolderNode::ScanSubfolders(bool shown) {
    ClearChildren();
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(WideText(m_path + "\\*.*").c_str(), &found));
    if (!search)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        std::string name = Utf8Of(found.cFileName);
        if (name == "." || name == "..")
            continue;
        FolderNode child;
        child.m_name = name;
        child.m_path = m_path + "\\" + name;
        child.m_level = m_level + 1;
        child.m_shown = shown;
        m_children.push_back(std::move(child));
    } while (FindNextFileW(search.get(), &found));
}
