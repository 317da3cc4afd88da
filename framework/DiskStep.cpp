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
    // Opening for reading changes nothing; creating or cutting a file does.
    if ((access & GENERIC_WRITE) && !Allows(Kind::Create)) {
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

DWORD DiskStep::Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
    return Allows(Kind::Rename) ? Result(MoveFileExW(from, to, flags)) : Refused();
}

DWORD DiskStep::Delete(const wchar_t* path) {
    return Allows(Kind::Delete) ? Result(DeleteFileW(path)) : Refused();
}

DWORD DiskStep::RemoveFolder(const wchar_t* path) {
    return Allows(Kind::Delete) ? Result(RemoveDirectoryW(path)) : Refused();
}

DWORD DiskStep::MakeFolder(const wchar_t* path) {
    return Allows(Kind::Folder) ? Result(CreateDirectoryW(path, nullptr)) : Refused();
}

DWORD DiskStep::Truncate(HANDLE file) {
    return Allows(Kind::Write) ? Result(SetEndOfFile(file)) : Refused();
}
