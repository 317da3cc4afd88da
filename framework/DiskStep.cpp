// Every file call of the file work, through one seam: a test can fail any change, or serve files from memory.
#include "framework/DiskStep.h"

DiskStep::Hook DiskStep::s_hook = nullptr;
DiskStep::Files* DiskStep::s_files = nullptr;

namespace {
class SystemFiles final : public DiskStep::Files {
public:
    HANDLE Create(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) override {
        return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
    }
    BOOL Read(HANDLE file, void* data, DWORD size, DWORD* got) override {
        return ReadFile(file, data, size, got, nullptr);
    }
    BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) override {
        return WriteFile(file, data, size, written, nullptr);
    }
    BOOL Flush(HANDLE file) override { return FlushFileBuffers(file); }
    BOOL Close(HANDLE file) override { return CloseHandle(file); }
    // Not GetFileInformationByHandle: it asks the volume for its serial number too, which is a
    // round trip to another process under Wine and costs more than copying a small file.
    BOOL Info(HANDLE file, FILE_BASIC_INFO* basic, LARGE_INTEGER* size) override {
        return (!basic || GetFileInformationByHandleEx(file, FileBasicInfo, basic, sizeof *basic)) &&
               (!size || GetFileSizeEx(file, size));
    }
    BOOL SetTimes(HANDLE file, const FILETIME* created, const FILETIME* accessed, const FILETIME* written) override {
        return SetFileTime(file, created, accessed, written);
    }
    DWORD Attributes(const wchar_t* path) override { return GetFileAttributesW(path); }
    BOOL SetAttributes(const wchar_t* path, DWORD attributes) override {
        return SetFileAttributesW(path, attributes);
    }
    BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) override { return MoveFileExW(from, to, flags); }
    BOOL Delete(const wchar_t* path) override { return DeleteFileW(path); }
    BOOL MakeFolder(const wchar_t* path) override { return CreateDirectoryW(path, nullptr); }
    BOOL RemoveFolder(const wchar_t* path) override { return RemoveDirectoryW(path); }
    HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) override {
        return FindFirstFileW(pattern, found);
    }
    BOOL FindNext(HANDLE search, WIN32_FIND_DATAW* found) override { return FindNextFileW(search, found); }
    BOOL FindEnd(HANDLE search) override { return FindClose(search); }
};

SystemFiles g_system;

DWORD Result(BOOL done) {
    return done ? ERROR_SUCCESS : GetLastError();
}

DWORD Refused() {
    SetLastError(ERROR_WRITE_FAULT);
    return ERROR_WRITE_FAULT;
}
} // namespace

DiskStep::Files& DiskStep::System() {
    return g_system;
}

HANDLE DiskStep::Create(const wchar_t* path, DWORD access, DWORD disposition, DWORD flags) {
    if (!Allows(Kind::Create)) {
        Refused();
        return INVALID_HANDLE_VALUE;
    }
    return On().Create(path, access, 0, disposition, flags);
}

DWORD DiskStep::Write(HANDLE file, const void* data, DWORD size) {
    const DWORD allowed = s_hook ? s_hook(Kind::Write, size) : size;
    for (DWORD written = 0; written < allowed;) {
        DWORD now = 0;
        if (!On().Write(file, static_cast<const char*>(data) + written, allowed - written, &now))
            return GetLastError();
        written += now;
    }
    return allowed == size ? ERROR_SUCCESS : Refused();
}

DWORD DiskStep::Flush(HANDLE file) {
    return Allows(Kind::Flush) ? Result(On().Flush(file)) : Refused();
}

DWORD DiskStep::Change(Kind kind, const wchar_t* path, const wchar_t* to, DWORD flags) {
    if (!Allows(kind))
        return Refused();
    Files& files = On();
    BOOL done = kind == Kind::Rename       ? files.Move(path, to, flags)
                : kind == Kind::Folder     ? files.MakeFolder(path)
                : kind == Kind::Attributes ? files.SetAttributes(path, flags)
                : flags                    ? files.RemoveFolder(path)
                                           : files.Delete(path);
    return Result(done);
}
