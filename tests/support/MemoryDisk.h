// Files below one folder held in memory, answering the file work's calls as Windows would.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "framework/DiskStep.h"

class MemoryDisk final : public DiskStep::Files {
public:
    // `root` is an empty folder; paths outside it are not found.
    explicit MemoryDisk(const std::string& root);

    HANDLE Create(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) override;
    BOOL Read(HANDLE file, void* data, DWORD size, DWORD* got) override;
    BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) override;
    BOOL Flush(HANDLE file) override;
    BOOL Close(HANDLE file) override;
    BOOL Info(HANDLE file, FILE_BASIC_INFO* basic, LARGE_INTEGER* size) override;
    BOOL SetTimes(HANDLE file, const FILETIME* created, const FILETIME* accessed, const FILETIME* written) override;
    DWORD Attributes(const wchar_t* path) override;
    BOOL SetAttributes(const wchar_t* path, DWORD attributes) override;
    BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) override;
    BOOL Delete(const wchar_t* path) override;
    BOOL MakeFolder(const wchar_t* path) override;
    BOOL RemoveFolder(const wchar_t* path) override;
    HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) override;
    BOOL FindNext(HANDLE search, WIN32_FIND_DATAW* found) override;
    BOOL FindEnd(HANDLE search) override;

    // The path with its letters folded as the file system folds them.
    static std::wstring Key(const wchar_t* path);

    // Everything written so far reaches the disk, as the system writes it back in time.
    void Settle();
    // The power goes: what was written since and not flushed reads as zeros. Names, folders,
    // renames and deletes stay, as a journalled file system keeps them.
    void PowerCut();

private:
    struct Node {
        std::wstring name; // as it was made
        bool folder = false;
        DWORD attributes = 0; // without the folder's own bit
        std::string bytes;
        std::string durable; // what a power cut leaves of them
        FILETIME times[3] = {};
        int readers = 0, writers = 0;
    };
    struct Open {
        Node* node; // nodes stay where they are in the map until erased
        size_t at;
        bool write;
    };
    struct Search {
        std::vector<WIN32_FIND_DATAW> found;
        size_t next;
    };

    Node* Find(const std::wstring& key);
    bool InFolder(const std::wstring& key) {
        Node* parent = Find(key.substr(0, key.rfind(L'\\')));
        return parent && parent->folder;
    }
    // Not there, and why: its folder is there or is not either.
    BOOL Missing(const std::wstring& key);
    Open* Opened(HANDLE file);
    // Far above the small values the system hands out, so none is ever taken for one of its own.
    HANDLE NewHandle() { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7F000000u + 4 * ++m_handles)); }
    static WIN32_FIND_DATAW Found(const std::wstring& name, const Node& node);

    std::map<std::wstring, Node> m_nodes;
    std::map<HANDLE, Open> m_open;
    std::map<HANDLE, Search> m_searches;
    size_t m_handles = 0;
};
