// Whole-file copies: the destination is the old file or the new one, never a part of either.
#include <gtest/gtest.h>

#include "framework/FileTransfer.h"
#include "support/TempFolder.h"

namespace {
struct StopAfter : FileTransfer::Progress {
    explicit StopAfter(int pieces) : left(pieces) {}
    bool OnCopied(ULONGLONG done, ULONGLONG total) override {
        lastDone = done;
        lastTotal = total;
        return --left > 0;
    }
    int left;
    ULONGLONG lastDone = 0;
    ULONGLONG lastTotal = 0;
};

FILETIME WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}
} // namespace

TEST(FileTransfer, ReplacesWholeWithTimesAndAttributesOrLeavesTheOldFileAndNothingACrashLeft) {
    TempFolder folder;
    std::string big(FileTransfer::kPieceSize * 2 + 17, 'n');
    std::string from = folder.WriteFile("new.pff", big);
    std::string to = folder.WriteFile("game.pff", "old");
    const std::string leftover = folder.MakeFolder("work") + "\\game.new";
    FILETIME stamp{0x12345600, 0x01d00000};
    HANDLE h = CreateFileA(from.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, &stamp, &stamp, &stamp);
    CloseHandle(h);

    // Stopped half-way: the old file stays, and no partial file is left.
    StopAfter stop(1);
    EXPECT_EQ(FileTransfer::CopyWhole(from.c_str(), to.c_str(), leftover.c_str(), &stop),
              static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_EQ(ReadWholeFile(to), "old");
    EXPECT_FALSE(PathExists(leftover));

    // A missing source reports its error and touches nothing, but what a crashed copy left goes,
    // read-only or not.
    folder.WriteFile("work\\game.new", "crash");
    SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(FileTransfer::CopyWhole((folder / "none.pff").c_str(), to.c_str(), leftover.c_str(), nullptr),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadWholeFile(to), "old");
    EXPECT_FALSE(PathExists(leftover));
    folder.WriteFile("work\\game.new", "crash");
    SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_READONLY);
    // Told not to replace, it never writes over the file there.
    EXPECT_NE(FileTransfer::CopyWhole(from.c_str(), to.c_str(), leftover.c_str(), nullptr, false),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadWholeFile(to), "old");

    StopAfter all(100);
    SetFileAttributesA(from.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(FileTransfer::CopyWhole(from.c_str(), to.c_str(), leftover.c_str(), &all),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(all.lastDone, big.size());
    EXPECT_EQ(all.lastTotal, big.size());
    EXPECT_TRUE(ReadWholeFile(to) == big);
    FILETIME written = WriteTime(to);
    EXPECT_EQ(CompareFileTime(&stamp, &written), 0);
    EXPECT_TRUE(GetFileAttributesA(to.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(PathExists(leftover));
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(from.c_str(), FILE_ATTRIBUTE_NORMAL);
}
