// Every change the file work makes on disk, through one seam a test can make fail at any step.
#pragma once

#include <windows.h>

class DiskStep {
public:
    enum class Kind { Create, Write, Flush, Rename, Delete, Folder };
    // Told before each step; returns how many of `size` bytes may go through (a write is cut short
    // there, any other step fails below its size). Null in the shipped program.
    using Hook = DWORD (*)(Kind kind, DWORD size);
    static Hook s_hook;

    // As the Win32 calls of the same purpose; a refused step fails with ERROR_WRITE_FAULT. Create
    // makes or cuts a file to write, without sharing.
    static HANDLE Create(const wchar_t* path, DWORD access, DWORD disposition, DWORD flags);
    static DWORD Write(HANDLE file, const void* data, DWORD size);
    static DWORD Flush(HANDLE file);
    static DWORD Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
        return Change(Kind::Rename, from, to, flags);
    }
    static DWORD Delete(const wchar_t* path) { return Change(Kind::Delete, path, nullptr, 0); }
    // An empty folder, or a link to one.
    static DWORD RemoveFolder(const wchar_t* path) { return Change(Kind::Delete, path, nullptr, 1); }
    static DWORD MakeFolder(const wchar_t* path) { return Change(Kind::Folder, path, nullptr, 0); }

private:
    static DWORD Change(Kind kind, const wchar_t* path, const wchar_t* to, DWORD flags);
    static bool Allows(Kind kind) { return !s_hook || s_hook(kind, 1) == 1; }
};
