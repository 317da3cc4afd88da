// Keeping game files before they change and putting them back, on the real file system.
#include <gtest/gtest.h>

#include <windows.h>

#include "config/GameBackup.h"
#include "framework/Handles.h"
#include "support/TempFolder.h"

namespace {
const std::string kList = "KSInstaller Backup\\KSInstaller Backup.txt";

ULONGLONG WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

void SetWriteTime(const std::string& path, ULONGLONG ticks) {
    UniqueFileHandle file(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SetFileTime(file.get(), nullptr, nullptr, &time);
}
} // namespace

TEST(GameBackup, KeepsOnlyTheFirstOriginalListsAddedFilesAndRestoresTheGameAsItWas) {
    TempFolder game;
    game.WriteFile("data\\gui.txt", "original");
    SetWriteTime(game / "data\\gui.txt", 130000000000000000ull);
    {
        GameBackup backup(game.Path());
        EXPECT_EQ(backup.Keep("data/gui.txt", nullptr), DWORD(ERROR_SUCCESS));
        EXPECT_EQ(backup.Keep("readme.txt", nullptr), DWORD(ERROR_SUCCESS));
    }
    const std::string kept = game / "KSInstaller Backup\\data\\gui.txt";
    EXPECT_EQ(ReadWholeFile(kept), "original");
    EXPECT_EQ(WriteTime(kept), 130000000000000000ull);
    game.WriteFile("data\\gui.txt", "first add-on");
    game.WriteFile("readme.txt", "added");

    // A second add-on over the same files: the first original stays the original.
    GameBackup second(game.Path());
    EXPECT_EQ(second.Keep("DATA\\gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(second.Keep("readme.txt", nullptr), DWORD(ERROR_SUCCESS));
    game.WriteFile("data\\gui.txt", "second add-on");
    EXPECT_EQ(ReadWholeFile(kept), "original");
    EXPECT_EQ(ReadWholeFile(game / kList), "kept data\\gui.txt\r\nadded readme.txt\r\n");

    GameBackup restore(game.Path());
    ASSERT_TRUE(restore.Load());
    GameBackup::Outcome outcome = restore.Restore(nullptr);
    EXPECT_EQ(outcome.total, 2);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(ReadWholeFile(game / "data\\gui.txt"), "original");
    EXPECT_EQ(WriteTime(game / "data\\gui.txt"), 130000000000000000ull);
    EXPECT_FALSE(PathExists(game / "readme.txt"));
    EXPECT_FALSE(PathExists(game / "KSInstaller Backup"));
    EXPECT_FALSE(GameBackup(game.Path()).Load());
}

TEST(GameBackup, CopyWithoutItsLineIsReplacedTornAndForeignLinesAreRefused) {
    TempFolder game;
    game.WriteFile("gui.txt", "original");
    // A crash after the copy and before its line: the copy is ignored and written over.
    game.WriteFile("KSInstaller Backup\\gui.txt", "stale");
    EXPECT_FALSE(GameBackup(game.Path()).Load());
    // A crash in the middle of a line: the torn end is no name and the next line starts clean.
    game.WriteFile(kList, "added other.txt\r\nadded gu");
    GameBackup backup(game.Path());
    EXPECT_EQ(backup.Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ReadWholeFile(game / "KSInstaller Backup\\gui.txt"), "original");
    EXPECT_EQ(ReadWholeFile(game / kList), "added other.txt\r\nkept gui.txt\r\n");

    // Nothing outside the game folder, nor the backup itself, is ever restored or deleted.
    TempFolder outside;
    outside.WriteFile("victim.txt", "keep me");
    game.WriteFile(kList, "added ..\\" + outside.Path().substr(outside.Path().rfind('\\') + 1) +
                              "\\victim.txt\r\nadded " + outside / "victim.txt" +
                              "\r\nkept \\\\server\\share\\x\r\n"
                              "added KSInstaller Backup\\KSInstaller Backup.txt\r\nremove gui.txt\r\n"
                              "\x01\xff\xfe garbage\r\nkept gui.txt\r\nadded gui.txt\r\n");
    game.WriteFile("gui.txt", "add-on");
    ASSERT_TRUE(backup.Load());
    EXPECT_EQ(backup.List().Refused().size(), 6u);
    ASSERT_EQ(backup.List().Entries().size(), 1u);
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(outside / "victim.txt"), "keep me");
    EXPECT_EQ(ReadWholeFile(game / "gui.txt"), "original");
}

TEST(GameBackup, RestoreThatFailsOnOneFileKeepsWhatIsLeftAndSucceedsWhenRunAgain) {
    TempFolder game;
    game.WriteFile("a.txt", "original a");
    game.WriteFile("b.txt", "original b");
    GameBackup backup(game.Path());
    ASSERT_EQ(backup.Keep("a.txt", nullptr), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(backup.Keep("b.txt", nullptr), DWORD(ERROR_SUCCESS));
    game.WriteFile("a.txt", "new a");
    game.WriteFile("b.txt", "new b");
    {
        // As the running game would hold it.
        UniqueFileHandle held(
            CreateFileA((game / "b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        ASSERT_TRUE(backup.Load());
        GameBackup::Outcome outcome = backup.Restore(nullptr);
        EXPECT_EQ(outcome.failed, 1);
        EXPECT_EQ(outcome.total, 2);
        EXPECT_EQ(outcome.firstFailed, game / "b.txt");
        EXPECT_NE(outcome.firstError, DWORD(ERROR_SUCCESS));
    }
    EXPECT_EQ(ReadWholeFile(game / "a.txt"), "original a");
    EXPECT_EQ(ReadWholeFile(game / "b.txt"), "new b");
    EXPECT_FALSE(PathExists(game / "KSInstaller Backup\\a.txt"));
    EXPECT_EQ(ReadWholeFile(game / "KSInstaller Backup\\b.txt"), "original b");
    EXPECT_EQ(ReadWholeFile(game / kList), "kept b.txt\r\n");

    ASSERT_TRUE(backup.Load());
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(game / "b.txt"), "original b");
    EXPECT_FALSE(PathExists(game / "KSInstaller Backup"));
}

TEST(GameBackup, RestorePutsBackOverReadOnlyGameFilesAndRemovesReadOnlyAddedOnes) {
    TempFolder game;
    game.WriteFile("gui.txt", "original");
    // As files copied from a CD are, and as the add-on's own files may be.
    SetFileAttributesA((game / "gui.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    GameBackup backup(game.Path());
    ASSERT_EQ(backup.Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(backup.Keep("new.txt", nullptr), DWORD(ERROR_SUCCESS));
    game.WriteFile("new.txt", "added");
    SetFileAttributesA((game / "new.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(backup.Load());
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(game / "gui.txt"), "original");
    EXPECT_EQ(GetFileAttributesA((game / "gui.txt").c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(PathExists(game / "new.txt"));
    EXPECT_FALSE(PathExists(game / "KSInstaller Backup"));
    SetFileAttributesA((game / "gui.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(GameBackup, ListThatCannotBeReadKeepsNothingAndLeavesTheFirstOriginalAlone) {
    TempFolder game;
    game.WriteFile("gui.txt", "original");
    GameBackup backup(game.Path());
    ASSERT_EQ(backup.Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    game.WriteFile("gui.txt", "add-on");
    {
        // Held by another program without sharing: nothing may be kept again over the first.
        UniqueFileHandle held(
            CreateFileA((game / kList).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_NE(GameBackup(game.Path()).Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    }
    EXPECT_EQ(ReadWholeFile(game / "KSInstaller Backup\\gui.txt"), "original");

    // A list too big to be read whole is not cut down to what was read.
    std::string big = "kept gui.txt\r\n" + std::string(1 << 20, 'x') + "\r\nadded late.txt\r\n";
    game.WriteFile(kList, big);
    EXPECT_NE(GameBackup(game.Path()).Keep("other.txt", nullptr), DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(ReadWholeFile(game / kList) == big);
}
