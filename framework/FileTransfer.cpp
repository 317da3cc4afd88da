// Copies a file so that its destination is always either the old file or the whole new one.
#include "framework/FileTransfer.h"

#include <memory>

#include "framework/DiskStep.h"
#include "framework/WideText.h"

namespace {
// Reads and writes the whole piece, since either call may do less than asked.
DWORD CopyPieces(HANDLE source, HANDLE target, ULONGLONG total, FileTransfer::Progress* progress) {
    // No bigger than the file: most game files are small, and a fresh large buffer costs more than
    // the copy.
    const DWORD size = total < FileTransfer::kPieceSize ? static_cast<DWORD>(total) + 1 : FileTransfer::kPieceSize;
    std::unique_ptr<char[]> buffer(new char[size]);
    ULONGLONG done = 0;
    for (;;) {
        DWORD read = 0;
        if (!DiskStep::On().Read(source, buffer.get(), size, &read))
            return GetLastError();
        if (read == 0)
            return ERROR_SUCCESS;
        if (DWORD error = DiskStep::Write(target, buffer.get(), read))
            return error;
        done += read;
        if (progress && !progress->OnCopied(done, total))
            return ERROR_CANCELLED;
    }
}
} // namespace

DWORD FileTransfer::RemoveLeftover(const char* temporary) {
    const WideText path(temporary);
    // It may have been given the source's read-only attribute just before the crash.
    DWORD error = DiskStep::SetAttributes(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return error == ERROR_SUCCESS ? DiskStep::Delete(path.c_str()) : error;
}

DWORD FileTransfer::CopyWhole(const char* from, const char* to, const char* temporaryPath, Progress* progress,
                              bool replace) {
    const WideText temporary(temporaryPath);
    RemoveLeftover(temporaryPath);

    DiskStep::Files& files = DiskStep::On();
    UniqueDiskFile source(files.Create(WideText(from).c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN));
    FILE_BASIC_INFO info;
    LARGE_INTEGER size;
    if (!source || !files.Info(source.get(), &info, &size))
        return GetLastError();
    const ULONGLONG total = static_cast<ULONGLONG>(size.QuadPart);
    const auto time = [](const LARGE_INTEGER& at) {
        return FILETIME{at.LowPart, static_cast<DWORD>(at.HighPart)};
    };
    const FILETIME created = time(info.CreationTime), accessed = time(info.LastAccessTime),
                   written = time(info.LastWriteTime);

    DWORD error;
    {
        UniqueDiskFile target(DiskStep::Create(temporary.c_str(), GENERIC_WRITE, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN));
        if (!target)
            return GetLastError();
        error = CopyPieces(source.get(), target.get(), total, progress);
        if (error == ERROR_SUCCESS &&
            !files.SetTimes(target.get(), &created, &accessed, &written))
            error = GetLastError();
        // On disk before it replaces anything: a power cut then leaves the old file or the new one.
        if (error == ERROR_SUCCESS)
            error = DiskStep::Flush(target.get());
    }
    const DWORD kept =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (error == ERROR_SUCCESS && (info.FileAttributes & kept))
        error = DiskStep::SetAttributes(temporary.c_str(), info.FileAttributes & kept);
    // The temporary file may lie on another volume than `to` (a folder linked to another drive):
    // then it is copied there, and the file it replaces is still kept or still the old one.
    if (error == ERROR_SUCCESS)
        error = DiskStep::Move(temporary.c_str(), WideText(to).c_str(),
                               MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0));
    if (error != ERROR_SUCCESS)
        RemoveLeftover(temporaryPath);
    return error;
}
