// A scratch folder under %TEMP%, removed with everything in it at the end of the test.
#include "support/TempFolder.h"

#include <windows.h>

#include <atomic>

#include "framework/Handles.h"

namespace {
std::atomic<int> g_counter{0};

void MakeFoldersFor(const std::string& path) {
    for (std::string::size_type slash = path.find('\\', 3); slash != std::string::npos;
         slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
}
} // namespace

TempFolder::TempFolder() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    std::string base(temp, length > 0 && length < MAX_PATH ? length : 0);
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    m_path = base + "\\kst_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount()) +
             "_" + std::to_string(g_counter++);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    RemoveTree(m_path);
}

std::string TempFolder::WriteFile(const std::string& name, const std::string& content) const {
    std::string path = *this / name;
    MakeFoldersFor(path);
    UniqueFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && !content.empty())
        ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return path;
}

std::string TempFolder::MakeFolder(const std::string& name) const {
    std::string path = *this / name;
    MakeFoldersFor(path + "\\");
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    std::string content;
    if (!file)
        return content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    return content;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA((path + "\\*").c_str(), &found));
    if (search) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search.get(), &found));
    }
    search.reset();
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

namespace {
void WalkBelow(const std::string& folder, const std::string& prefix,
               const std::function<void(const std::string&, const WIN32_FIND_DATAA&)>& visit) {
    WIN32_FIND_DATAA found;
    UniqueFindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        visit(prefix + name, found);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            WalkBelow(folder + "\\" + name, prefix + name + "\\", visit);
    } while (FindNextFileA(search.get(), &found));
}
} // namespace

void WalkTree(const std::string& folder,
              const std::function<void(const std::string& relative, const WIN32_FIND_DATAA& found)>& visit) {
    WalkBelow(folder, "", visit);
}
