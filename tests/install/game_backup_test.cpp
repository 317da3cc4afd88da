// Keeping game files before they change and putting them back, on the real file system.
#include <gtest/gtest.h>

#include <windows.h>

#include "RecordingOwner.h"
#include "framework/Handles.h"
#include "install/GameBackup.h"
#include "install/RestoreFlow.h"
#include "support/TempFolder.h"

namespace {
const std::string kList = "KSInstaller Backup\\KSInstaller Backup.txt";
} // namespace

TEST(GameBackup, LinesNamingAnythingOutsideTheGameOrTheBackupItselfAreRefused) {
    TempFolder game;
    game.WriteFile("KSInstaller Backup\\gui.txt", "original");
    GameBackup backup(game.Path());
    // Nothing outside the game folder, nor the backup itself, is ever restored or deleted.
    TempFolder outside;
    outside.WriteFile("victim.txt", "keep me");
    game.WriteFile(kList, "added ..\\" + outside.Path().substr(outside.Path().rfind('\\') + 1) +
                              "\\victim.txt\r\nadded " + outside / "victim.txt" +
                              "\r\nkept \\\\server\\share\\x\r\n"
                              "added KSInstaller Backup\\KSInstaller Backup.txt\r\nremove gui.txt\r\n"
                              "\x01\xff\xfe garbage\r\nkept gui.txt\r\n");
    game.WriteFile("gui.txt", "add-on");
    ASSERT_TRUE(backup.Load());
    EXPECT_EQ(backup.List().Refused().size(), 6u);
    ASSERT_EQ(backup.List().Entries().size(), 1u);
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(outside / "victim.txt"), "keep me");
    EXPECT_EQ(ReadWholeFile(game / "gui.txt"), "original");
}

TEST(GameBackup, RestoreThatFailsOnOneFileOrOnTheListKeepsWhatIsLeftAndSucceedsWhenRunAgain) {
    TempFolder temp;
    // Also in a game folder so deep that the list's path has no room to spare.
    for (const std::string& sub : {std::string(), std::string(212 - temp.Path().size() - 1, 'g')}) {
        SCOPED_TRACE(sub.size());
        const std::string game = sub.empty() ? temp.Path() : temp.MakeFolder(sub);
        ASSERT_EQ(game.size(), sub.empty() ? temp.Path().size() : 212u);
        auto at = [&](const std::string& name) { return game + "\\" + name; };
        auto write = [&](const std::string& name, const std::string& content) {
            temp.WriteFile(sub.empty() ? name : sub + "\\" + name, content);
        };
        write("a.txt", "original a");
        write("b.txt", "original b");
        GameBackup backup(game);
        ASSERT_EQ(backup.Keep("a.txt", nullptr), DWORD(ERROR_SUCCESS));
        ASSERT_EQ(backup.Keep("b.txt", nullptr), DWORD(ERROR_SUCCESS));
        write("a.txt", "new a");
        write("b.txt", "new b");
        {
            // As the running game would hold it.
            UniqueFileHandle held(
                CreateFileA(at("b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held);
            // A list that cannot be rewritten is no failed file: everything stays as it was.
            const std::string blocker = at("KSInstaller Backup\\KSInstaller Work\\list.new");
            CreateDirectoryA(blocker.c_str(), nullptr);
            ASSERT_TRUE(backup.Load());
            GameBackup::Outcome outcome = backup.Restore(nullptr);
            EXPECT_EQ(outcome.failed, 1);
            EXPECT_NE(outcome.listError, DWORD(ERROR_SUCCESS));
            EXPECT_EQ(ReadWholeFile(at(kList)), "kept a.txt\r\nkept b.txt\r\n");
            EXPECT_EQ(ReadWholeFile(at("KSInstaller Backup\\a.txt")), "original a");
            RemoveDirectoryA(blocker.c_str());

            ASSERT_TRUE(backup.Load());
            outcome = backup.Restore(nullptr);
            EXPECT_EQ(outcome.failed, 1);
            EXPECT_EQ(outcome.total, 2);
            EXPECT_EQ(outcome.firstFailed, at("b.txt"));
            EXPECT_NE(outcome.firstError, DWORD(ERROR_SUCCESS));
            EXPECT_EQ(outcome.listError, DWORD(ERROR_SUCCESS));
        }
        EXPECT_EQ(ReadWholeFile(at("a.txt")), "original a");
        EXPECT_EQ(ReadWholeFile(at("b.txt")), "new b");
        EXPECT_FALSE(PathExists(at("KSInstaller Backup\\a.txt")));
        EXPECT_EQ(ReadWholeFile(at("KSInstaller Backup\\b.txt")), "original b");
        EXPECT_EQ(ReadWholeFile(at(kList)), "kept b.txt\r\n");

        ASSERT_TRUE(backup.Load());
        EXPECT_EQ(backup.Restore(nullptr).failed, 0);
        EXPECT_EQ(ReadWholeFile(at("b.txt")), "original b");
        EXPECT_FALSE(PathExists(at("KSInstaller Backup")));
    }
}

TEST(GameBackup, RestorePutsBackOverReadOnlyGameFilesAndRemovesReadOnlyAddedOnesButNoNameBesideThem) {
    TempFolder game;
    game.WriteFile("gui.txt", "original");
    // As files copied from a CD are, and as the add-on's own files may be.
    SetFileAttributesA((game / "gui.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    GameBackup backup(game.Path());
    ASSERT_EQ(backup.Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(backup.Keep("new.txt", nullptr), DWORD(ERROR_SUCCESS));
    game.WriteFile("new.txt", "added");
    SetFileAttributesA((game / "new.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    // A game file whose name an earlier version gave its copies in the making is the game's.
    game.WriteFile("new.txt.ks-partial", "the game's");
    game.WriteFile("b.txt", "b");
    ASSERT_EQ(backup.Keep("b.txt", nullptr), DWORD(ERROR_SUCCESS));
    // Something stays at the name a read-only copy is moved aside to: the copy goes after its restore
    // all the same, else a later restore would bring it back over what the game holds by then.
    game.MakeFolder("KSInstaller Backup\\KSInstaller.new");
    ASSERT_TRUE(backup.Load());
    {
        UniqueFileHandle held(
            CreateFileA((game / "b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(backup.Restore(nullptr).failed, 1);
    }
    EXPECT_FALSE(PathExists(game / "KSInstaller Backup\\gui.txt"));

    ASSERT_TRUE(backup.Load());
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(game / "gui.txt"), "original");
    EXPECT_EQ(GetFileAttributesA((game / "gui.txt").c_str()) & FILE_ATTRIBUTE_READONLY,
              DWORD(FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(PathExists(game / "new.txt"));
    EXPECT_EQ(ReadWholeFile(game / "new.txt.ks-partial"), "the game's");
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

TEST(GameBackup, ListIsAppendedAtItsRealEndWhateverWasWrittenOrRemovedSinceItWasRead) {
    TempFolder game;
    game.WriteFile("a.txt", "a");
    game.WriteFile("b.txt", "b");
    GameBackup first(game.Path());
    ASSERT_EQ(first.Keep("a.txt", nullptr), DWORD(ERROR_SUCCESS));
    // Another writer's line after this one's last read is kept.
    BackupList other(game.Path());
    ASSERT_EQ(other.Append({false, "c.txt"}), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(first.Keep("b.txt", nullptr), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ReadWholeFile(game / kList), "kept a.txt\r\nadded c.txt\r\nkept b.txt\r\n");

    // A list that has gone since it was read starts anew, with no hole of zeros for its old length.
    BackupList list(game.Path());
    ASSERT_TRUE(list.Load());
    DeleteFileA((game / kList).c_str());
    ASSERT_EQ(list.Append({false, "d.txt"}), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ReadWholeFile(game / kList), "added d.txt\r\n");
}

TEST(GameBackup, ShortNamesNeitherReachTheBackupNorKeepAnOriginalTwice) {
    TempFolder game;
    game.WriteFile("Data Files\\gui.txt", "original gui");
    GameBackup backup(game.Path());
    ASSERT_EQ(backup.Keep("Data Files\\gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    const std::string listBefore = ReadWholeFile(game / kList);
    auto shortName = [&](const std::string& name) {
        WIN32_FIND_DATAA found;
        FindClose(FindFirstFileA((game / name).c_str(), &found));
        return std::string(found.cAlternateFileName[0] ? found.cAlternateFileName : found.cFileName);
    };
    const std::string backupAlias = shortName("KSInstaller Backup");
    const std::string listAlias =
        backupAlias + "\\" + shortName("KSInstaller Backup\\KSInstaller Backup.txt");
    ASSERT_NE(listAlias, "KSInstaller Backup\\KSInstaller Backup.txt");

    // The list, by its short name, is no game file to keep, nor one to delete when listed.
    EXPECT_EQ(backup.Keep(listAlias, nullptr), DWORD(ERROR_INVALID_NAME));
    EXPECT_EQ(backup.Keep(backupAlias + "/gui.txt", nullptr), DWORD(ERROR_INVALID_NAME));
    EXPECT_EQ(ReadWholeFile(game / kList), listBefore);
    // The same game file by its short name is already kept: the add-on's copy never replaces it.
    game.WriteFile("Data Files\\gui.txt", "add-on gui");
    const std::string gameAlias = shortName("Data Files") + "\\gui.txt";
    EXPECT_EQ(backup.Keep(gameAlias, nullptr), DWORD(ERROR_SUCCESS));
    EXPECT_FALSE(backup.WillCopy(gameAlias));
    EXPECT_EQ(ReadWholeFile(game / kList), listBefore);
    EXPECT_EQ(ReadWholeFile(game / "KSInstaller Backup\\Data Files\\gui.txt"), "original gui");

    // A hand-edited line in a short name is read in its long form, as the game folder resolves it.
    const std::string firstLine = "kept Data Files\\gui.txt\r\n";
    game.WriteFile(kList, "kept " + gameAlias + "\r\n" +
                              ReadWholeFile(game / kList).substr(firstLine.size()) + "added " + listAlias +
                              "\r\n");
    ASSERT_TRUE(backup.Load());
    ASSERT_EQ(backup.List().Refused().size(), 1u);
    EXPECT_EQ(backup.List().Entries().front().name, "Data Files\\gui.txt");
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(game / "Data Files\\gui.txt"), "original gui");
    EXPECT_EQ(ReadWholeFile(game / kList), "added " + listAlias + "\r\n");
}

TEST(GameBackup, BackupFolderThatIsALinkIsRemovedAsALinkAndWhatItLeadsToStays) {
    TempFolder game;
    TempFolder otherDrive;
    otherDrive.WriteFile("player's own.txt", "not ours");
    if (!MakeFolderLink(game / "KSInstaller Backup", otherDrive.Path()))
        GTEST_SKIP() << "no folder link can be made here";
    game.WriteFile("gui.txt", "original");
    GameBackup backup(game.Path());
    ASSERT_EQ(backup.Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ReadWholeFile(otherDrive / "gui.txt"), "original");
    game.WriteFile("gui.txt", "add-on");

    ASSERT_TRUE(backup.Load());
    EXPECT_EQ(backup.Restore(nullptr).failed, 0);
    EXPECT_EQ(ReadWholeFile(game / "gui.txt"), "original");
    EXPECT_EQ(ReadWholeFile(otherDrive / "player's own.txt"), "not ours");
    EXPECT_EQ(ReadWholeFile(otherDrive / "gui.txt"), "original");
    // Windows removes the link itself; Wine 8 has no call that removes a Unix link to a folder.
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        EXPECT_FALSE(PathExists(game / "KSInstaller Backup"));
    }
    RemoveFolderLink(game / "KSInstaller Backup");

    // Leading where nothing is (a drive not connected): no "nothing kept", and nothing kept anew.
    TempFolder unplugged;
    unplugged.WriteFile("gui.txt", "original");
    const std::string gone = otherDrive.MakeFolder("gone");
    ASSERT_TRUE(MakeFolderLink(unplugged / "KSInstaller Backup", gone));
    RemoveDirectoryA(gone.c_str());
    EXPECT_NE(GameBackup(unplugged.Path()).Keep("gui.txt", nullptr), DWORD(ERROR_SUCCESS));
    RecordingOwner owner;
    // Windows lists a link whose target is gone; Wine 8 hides it from every call, as if absent.
    if (PathExists(unplugged / "KSInstaller Backup")) {
        EXPECT_EQ(RestoreFlow(owner).Restore(unplugged.Path()), RestoreFlow::Result::Incomplete);
        EXPECT_NE(owner.m_notices.back().text.find("cannot be reached"), std::string::npos);
    }
    RemoveFolderLink(unplugged / "KSInstaller Backup");

    // A kept copy that is not there is no "close the game"; lines left unread are no "all is back".
    game.WriteFile(kList, "kept gui.txt\r\nmoved x\r\n");
    EXPECT_EQ(RestoreFlow(owner).Restore(game.Path()), RestoreFlow::Result::Incomplete);
    EXPECT_EQ(owner.m_notices.back().text.find("close the game"), std::string::npos);
    EXPECT_NE(owner.m_notices.back().text.find("kept copy is not in the backup"), std::string::npos);
    game.WriteFile(kList, "moved x\r\n");
    EXPECT_EQ(RestoreFlow(owner).Restore(game.Path()), RestoreFlow::Result::Incomplete);
    EXPECT_NE(owner.m_notices.back().text, "The original game files are back.");
    // A line naming the folder's lock is refused, not failed on for ever; a kept file's folder that
    // the player removed comes back with it.
    game.WriteFile("KSInstaller Backup\\data\\gui.txt", "original data");
    game.WriteFile(kList, "added KSInstaller.lock\r\nkept data\\gui.txt\r\n");
    EXPECT_EQ(RestoreFlow(owner).Restore(game.Path()), RestoreFlow::Result::Incomplete);
    EXPECT_EQ(owner.m_notices.back().text.find("close the game"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(game / "data\\gui.txt"), "original data");
    // A file of the backup's name is no drive to connect: nothing was kept there.
    TempFolder plain;
    plain.WriteFile("KSInstaller Backup", "the player's");
    EXPECT_EQ(RestoreFlow(owner).Restore(plain.Path()), RestoreFlow::Result::NothingKept);
}
