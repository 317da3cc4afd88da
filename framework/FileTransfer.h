// Copies a file so that its destination is always either the old file or the whole new one.
#pragma once

#include <windows.h>

#include <string>

class FileTransfer {
public:
    // Told after each piece; returning false stops the copy and leaves the destination as it was.
    class Progress {
    public:
        virtual bool OnCopied(ULONGLONG done, ULONGLONG total) = 0;

    protected:
        ~Progress() = default;
    };

    static constexpr DWORD kPieceSize = 1 << 20;

    // Copies `from` into `temporary` (what a crash left there goes first, read-only or not), gives
    // it the source's times and attributes, flushes it to disk and only then moves it to `to` in
    // one step: over the file there when `replace`, else never. The temporary file lies where no
    // other file's name can reach it, so nothing but a leftover of ours is ever removed. Returns
    // ERROR_SUCCESS, ERROR_CANCELLED when `progress` stopped it, or the failing call's error.
    static DWORD CopyWhole(const char* from, const char* to, const char* temporary, Progress* progress,
                           bool replace = true);
    // Removes what a stopped or crashed copy left at `temporary`, read-only or not; ERROR_SUCCESS
    // once it is gone.
    static DWORD RemoveLeftover(const char* temporary);
};
