// Every file call of the file work, through one seam: a test can fail any change, or serve files from memory.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

class DiskStep {
public:
    // What answers the calls: the system's own file calls unless a test serves others. Each
    // behaves as the Win32 call of the same purpose, errors told through SetLastError.
    class Files {
    public:
        virtual HANDLE Create(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                              DWORD flags) = 0;
        virtual BOOL Read(HANDLE file, void* data, DWORD size, DWORD* got) = 0;
        virtual BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) = 0;
        virtual BOOL Flush(HANDLE file) = 0;
        virtual BOOL Close(HANDLE file) = 0;
        // Either may be null.
        virtual BOOL Info(HANDLE file, FILE_BASIC_INFO* basic, LARGE_INTEGER* size) = 0;
        virtual BOOL SetTimes(HANDLE file, const FILETIME* created, const FILETIME* accessed,
                              const FILETIME* written) = 0;
        virtual DWORD Attributes(const wchar_t* path) = 0;
        virtual BOOL SetAttributes(const wchar_t* path, DWORD attributes) = 0;
        virtual BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) = 0;
        virtual BOOL Delete(const wchar_t* path) = 0;
        virtual BOOL MakeFolder(const wchar_t* path) = 0;
        virtual BOOL RemoveFolder(const wchar_t* path) = 0;
        virtual HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) = 0;
        virtual BOOL FindNext(HANDLE search, WIN32_FIND_DATAW* found) = 0;
        virtual BOOL FindEnd(HANDLE search) = 0;

    protected:
        ~Files() = default;
    };

    // Reads and looks go straight to the files; changes go through the calls below.
    static Files& On() { return s_files ? *s_files : System(); }
    static Files& System();
    // Null: the system's own, as in the shipped program.
    static Files* s_files;

    enum class Kind { Create, Write, Flush, Rename, Delete, Folder, Attributes };
    // Told before each change; returns how many of `size` bytes may go through (a write is cut
    // short there, any other step fails below its size). Null in the shipped program.
    using Hook = DWORD (*)(Kind kind, DWORD size);
    static Hook s_hook;

    // A refused step fails with ERROR_WRITE_FAULT. Create makes or cuts a file to write, without
    // sharing.
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
    static DWORD SetAttributes(const wchar_t* path, DWORD attributes) {
        return Change(Kind::Attributes, path, nullptr, attributes);
    }

private:
    static DWORD Change(Kind kind, const wchar_t* path, const wchar_t* to, DWORD flags);
    static bool Allows(Kind kind) { return !s_hook || s_hook(kind, 1) == 1; }
};

// A file or search opened through the seam, closed through it too.
struct DiskFileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { DiskStep::On().Close(h); }
};
struct DiskSearchTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { DiskStep::On().FindEnd(h); }
};
using UniqueDiskFile = UniqueHandle<DiskFileTraits>;
using UniqueDiskSearch = UniqueHandle<DiskSearchTraits>;
