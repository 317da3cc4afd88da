// A scratch folder under %TEMP%, removed with everything in it at the end of the test.
#include "support/TempFolder.h"

#include <windows.h>

#include <atomic>
#include <initializer_list>

#include "framework/DiskStep.h"
#include "framework/Handles.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

namespace {
std::atomic<int> g_counter{0};

// Only those missing, from the first that is there: each call on a folder is a round trip under Wine.
void MakeFoldersFor(const std::string& path) {
    std::string::size_type slash = path.rfind('\\');
    while (slash != std::string::npos && slash > 2 &&
           DiskStep::On().Attributes(WideText(path.substr(0, slash)).c_str()) == INVALID_FILE_ATTRIBUTES)
        slash = path.rfind('\\', slash - 1);
    for (slash = path.find('\\', slash + 1); slash != std::string::npos; slash = path.find('\\', slash + 1))
        DiskStep::On().MakeFolder(WideText(path.substr(0, slash)).c_str());
}
} // namespace

TempFolder::TempFolder(const std::string& suffix) {
    wchar_t temp[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, temp);
    std::string base = Utf8Of(temp, length > 0 && length < MAX_PATH ? static_cast<int>(length) : 0);
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    m_path = base + "\\kst_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount()) +
             "_" + std::to_string(g_counter++) + suffix;
    CreateDirectoryW(WideText(m_path).c_str(), nullptr);
}

TempFolder::~TempFolder() {
    RemoveTree(m_path);
}

std::string TempFolder::WriteFile(const std::string& name, const std::string& content) const {
    const std::string path = *this / name;
    WriteWholeFile(path, content);
    return path;
}

std::string WriteWholeFile(const std::string& path, const std::string& content) {
    MakeFoldersFor(path);
    DiskStep::Files& files = DiskStep::On();
    UniqueDiskFile file(
        files.Create(WideText(path).c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    DWORD written = 0;
    if (file && !content.empty())
        files.Write(file.get(), content.data(), static_cast<DWORD>(content.size()), &written);
    return content;
}

std::string TempFolder::MakeFolder(const std::string& name) const {
    std::string path = *this / name;
    MakeFoldersFor(path + "\\");
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    DiskStep::Files& files = DiskStep::On();
    UniqueDiskFile file(
        files.Create(WideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
    std::string content;
    if (!file)
        return content;
    char buffer[4096];
    DWORD got = 0;
    while (files.Read(file.get(), buffer, sizeof buffer, &got) && got > 0)
        content.append(buffer, got);
    return content;
}

bool PathExists(const std::string& path) {
    return DiskStep::On().Attributes(WideText(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    DiskStep::Files& files = DiskStep::On();
    DWORD attributes = files.Attributes(WideText(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveFolderLink(path);
        return;
    }
    WIN32_FIND_DATAW found;
    UniqueDiskSearch search(files.FindFirst(WideText(path + "\\*").c_str(), &found));
    if (search) {
        do {
            std::string name = Utf8Of(found.cFileName);
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            files.SetAttributes(WideText(child).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(child);
            else
                files.Delete(WideText(child).c_str());
        } while (files.FindNext(search.get(), &found));
    }
    search.reset();
    files.SetAttributes(WideText(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    files.RemoveFolder(WideText(path).c_str());
}

namespace {
bool IsLink(const std::string& path) {
    DWORD attributes = GetFileAttributesW(WideText(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Under Wine: runs a Unix program on the Unix names of the given paths and waits for it.
bool RunUnix(const char* program, const std::string& options, std::initializer_list<std::string> paths) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return false;
    std::string command = std::string(program) + " " + options;
    for (const std::string& path : paths) {
        wchar_t wide[MAX_PATH * 4];
        if (!MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, MAX_PATH * 4))
            return false;
        char* unixName = toUnix(wide);
        if (!unixName)
            return false;
        command += " \"" + std::string(unixName) + "\"";
        HeapFree(GetProcessHeap(), 0, unixName);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string exe = "Z:" + std::string(program);
    for (char& c : exe)
        c = c == '/' ? '\\' : c;
    WideText wideCommand(command);
    if (!CreateProcessW(WideText(exe).c_str(), wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return false;
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

// Wine 8 reports a Unix program ended once it has started it, so what it does shows a little later.
bool ShowsWithin(const std::function<bool()>& check) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20)) {
        if (check())
            return true;
    }
    return check();
}

void WalkBelow(const std::string& folder, const std::string& prefix,
               const std::function<void(const std::string&, const WIN32_FIND_DATAW&)>& visit) {
    WIN32_FIND_DATAW found;
    DiskStep::Files& files = DiskStep::On();
    UniqueDiskSearch search(files.FindFirst(WideText(folder + "\\*").c_str(), &found));
    if (!search)
        return;
    do {
        std::string name = Utf8Of(found.cFileName);
        if (name == "." || name == "..")
            continue;
        visit(prefix + name, found);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            WalkBelow(folder + "\\" + name, prefix + name + "\\", visit);
    } while (files.FindNext(search.get(), &found));
}
} // namespace

void WalkTree(const std::string& folder,
              const std::function<void(const std::string& relative, const WIN32_FIND_DATAW& found)>& visit) {
    WalkBelow(folder, "", visit);
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
    if (CreateSymbolicLinkW(WideText(link).c_str(), WideText(target).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
        IsLink(link))
        return true;
    return RunUnix("/bin/ln", "-s", {target, link}) && ShowsWithin([&] { return IsLink(link); });
}

void RemoveFolderLink(const std::string& link) {
    if (!RemoveDirectoryW(WideText(link).c_str()) && IsLink(link))
        RunUnix("/bin/rm", "-f", {link}) && ShowsWithin([&] { return !PathExists(link); });
}
