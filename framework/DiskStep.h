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

    // As the Win32 calls of the same purpose; a refused step fails with ERROR_WRITE_FAULT.
    static HANDLE Create(const wchar_t* path, DWORD access, DWORD disposition, DWORD flags);
    static DWORD Write(HANDLE file, const void* data, DWORD size);
    static DWORD Flush(HANDLE file);
    static DWORD Move(const wchar_t* from, const wchar_t* to, DWORD flags);
    static DWORD Delete(const wchar_t* path);
    static DWORD RemoveFolder(const wchar_t* path);
    static DWORD MakeFolder(const wchar_t* path);
    static DWORD Truncate(HANDLE file);

private:
    static bool Allows(Kind kind) { return !s_hook || s_hook(kind, 1) == 1; }
};
