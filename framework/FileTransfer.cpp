// Copies a file so that its destination is always either the old file or the whole new one.
#include "framework/FileTransfer.h"

#include <memory>

#include "framework/Handles.h"

namespace {
constexpr const char* kTemporarySuffix = ".ks-partial";

// Reads and writes the whole piece, since either call may do less than asked.
DWORD CopyPieces(HANDLE source, HANDLE target, ULONGLONG total, FileTransfer::Progress* progress) {
    std::unique_ptr<char[]> buffer(new char[FileTransfer::kPieceSize]);
    ULONGLONG done = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source, buffer.get(), FileTransfer::kPieceSize, &read, nullptr))
            return GetLastError();
        if (read == 0)
            return ERROR_SUCCESS;
        for (DWORD written = 0; written < read;) {
            DWORD now = 0;
            if (!WriteFile(target, buffer.get() + written, read - written, &now, nullptr))
                return GetLastError();
            written += now;
        }
        done += read;
        if (progress && !progress->OnCopied(done, total))
            return ERROR_CANCELLED;
    }
}
} // namespace

std::string FileTransfer::TemporaryName(const char* to) {
    return std::string(to) + kTemporarySuffix;
}

void FileTransfer::RemoveLeftover(const char* to) {
    const std::string temporary = TemporaryName(to);
    // It may have been given the source's read-only attribute just before the crash.
    SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary.c_str());
}

DWORD FileTransfer::CopyWhole(const char* from, const char* to, Progress* progress) {
    const std::string temporary = TemporaryName(to);
    RemoveLeftover(to);

    UniqueFileHandle source(CreateFileA(from, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source)
        return GetLastError();
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(source.get(), &info))
        return GetLastError();
    ULONGLONG total = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;

    DWORD error;
    {
        UniqueFileHandle target(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!target)
            return GetLastError();
        error = CopyPieces(source.get(), target.get(), total, progress);
        if (error == ERROR_SUCCESS &&
            !SetFileTime(target.get(), &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime))
            error = GetLastError();
        // On disk before it replaces anything: a power cut then leaves the old file or the new one.
        if (error == ERROR_SUCCESS && !FlushFileBuffers(target.get()))
            error = GetLastError();
    }
    const DWORD kept =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (error == ERROR_SUCCESS && (info.dwFileAttributes & kept) &&
        !SetFileAttributesA(temporary.c_str(), info.dwFileAttributes & kept))
        error = GetLastError();
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(temporary.c_str(), to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) {
        SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temporary.c_str());
    }
    return error;
}
