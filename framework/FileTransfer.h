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

    // Copies `from` into a temporary file beside `to`, gives it the source's times and
    // attributes, flushes it to disk and only then moves it over `to` in one step. Returns
    // ERROR_SUCCESS, ERROR_CANCELLED when `progress` stopped it, or the failing call's error.
    static DWORD CopyWhole(const char* from, const char* to, Progress* progress = nullptr);

    // The temporary name CopyWhole writes beside `to`.
    static std::string TemporaryName(const char* to);
    // Removes the temporary file a crash left beside `to`, read-only or not; CopyWhole does so first.
    static void RemoveLeftover(const char* to);
};
