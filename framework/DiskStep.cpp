// Every change the file work makes on disk, through one seam a test can make fail at any step.
#include "framework/DiskStep.h"

DiskStep::Hook DiskStep::s_hook = nullptr;

namespace {
DWORD Result(BOOL done) {
    return done ? ERROR_SUCCESS : GetLastError();
}

DWORD Refused() {
    SetLastError(ERROR_WRITE_FAULT);
    return ERROR_WRITE_FAULT;
}
} // namespace

HANDLE DiskStep::Create(const wchar_t* path, DWORD access, DWORD disposition, DWORD flags) {
    if (!Allows(Kind::Create)) {
        Refused();
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(path, access, 0, nullptr, disposition, flags, nullptr);
}

DWORD DiskStep::Write(HANDLE file, const void* data, DWORD size) {
    const DWORD allowed = s_hook ? s_hook(Kind::Write, size) : size;
    for (DWORD written = 0; written < allowed;) {
        DWORD now = 0;
        if (!WriteFile(file, static_cast<const char*>(data) + written, allowed - written, &now, nullptr))
            return GetLastError();
        written += now;
    }
    return allowed == size ? ERROR_SUCCESS : Refused();
}

DWORD DiskStep::Flush(HANDLE file) {
    return Allows(Kind::Flush) ? Result(FlushFileBuffers(file)) : Refused();
}

DWORD DiskStep::Change(Kind kind, const wchar_t* path, const wchar_t* to, DWORD flags) {
    if (!Allows(kind))
        return Refused();
    BOOL done = kind == Kind::Rename   ? MoveFileExW(path, to, flags)
                : kind == Kind::Folder ? CreateDirectoryW(path, nullptr)
                : flags                ? RemoveDirectoryW(path)
                                       : DeleteFileW(path);
    return Result(done);
}
