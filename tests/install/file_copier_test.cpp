// The copy loop: which keys are read, what is copied and what the user is told.
#include <gtest/gtest.h>

#include <windows.h>

#include "RecordingOwner.h"
#include "install/FileCopier.h"
#include "settings/InstallSettings.h"
#include "support/TempFolder.h"

namespace {
struct CopyFixture {
    TempFolder program;
    TempFolder game;
    InstallSettings settings;
    RecordingOwner owner;

    explicit CopyFixture(const std::string& keys) {
        settings.m_programDir = program.Path();
        settings.m_iniPath = program.WriteFile("install.ini", "[installer]\r\n" + keys);
    }
};
} // namespace

TEST(FileCopier, StopsAtTheFirstEmptyKeyAndOverwritesWithoutAsking) {
    CopyFixture f("copy_file_1=a.txt\r\ncopy_file_2=data\\b.txt\r\ncopy_file_4=d.txt\r\n");
    f.program.WriteFile("a.txt", "new a");
    f.program.WriteFile("data\\b.txt", "new b");
    f.program.WriteFile("d.txt", "d");
    f.game.WriteFile("a.txt", "old a");
    f.game.MakeFolder("data");

    EXPECT_EQ(FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path()), 2);
    EXPECT_EQ(ReadWholeFile(f.game / "a.txt"), "new a");
    EXPECT_EQ(ReadWholeFile(f.game / "data\\b.txt"), "new b");
    EXPECT_FALSE(PathExists(f.game / "d.txt"));
    EXPECT_TRUE(f.owner.m_notices.empty());
}

TEST(FileCopier, CopiesAtMostThirtyFiles) {
    std::string keys;
    for (int i = 1; i <= 31; ++i)
        keys += "copy_file_" + std::to_string(i) + "=f" + std::to_string(i) + ".txt\r\n";
    CopyFixture f(keys);
    for (int i = 1; i <= 31; ++i)
        f.program.WriteFile("f" + std::to_string(i) + ".txt", "x");
    EXPECT_EQ(FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path()), 30);
    EXPECT_TRUE(PathExists(f.game / "f30.txt"));
    EXPECT_FALSE(PathExists(f.game / "f31.txt"));
}

TEST(FileCopier, ReportsMissingRefusedAndFailedFilesAndGoesOn) {
    CopyFixture f(
        "copy_file_1=missing.txt\r\ncopy_file_2=..\\outside.txt\r\ncopy_file_3=sub\\c.txt\r\n"
        "copy_file_4=ro.txt\r\ncopy_file_5=ok.txt\r\ncopy_file_6=folder\r\ncopy_file_7=held.txt\r\n");
    f.program.WriteFile("sub\\c.txt", "c");
    f.program.WriteFile("ro.txt", "new");
    f.program.WriteFile("ok.txt", "ok");
    f.program.MakeFolder("folder");
    // A folder where the file should go: the copy cannot replace it.
    std::string blocked = f.game.MakeFolder("ro.txt");
    // Listed as added before its copy, which fails: its line goes again.
    HANDLE held = CreateFileA(f.program.WriteFile("held.txt", "h").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);

    EXPECT_EQ(FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path()), 1);
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(f.game / "KSInstaller Backup\\KSInstaller Backup.txt"), "added ok.txt\r\n");
    EXPECT_EQ(ReadWholeFile(f.game / "ok.txt"), "ok");
    EXPECT_EQ(GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(PathExists(f.game.Path() + "\\..\\outside.txt"));

    ASSERT_EQ(f.owner.m_notices.size(), 6u);
    EXPECT_EQ(f.owner.m_notices[0].text, "The file does not exist: " + f.program / "missing.txt");
    EXPECT_NE(f.owner.m_notices[1].text.find("..\\outside.txt"), std::string::npos);
    // The game has no sub folder: the copy fails and the loop goes on.
    EXPECT_EQ(f.owner.m_notices[2].text,
              "Failed to copy file " + f.program / "sub\\c.txt" + " to " + f.game / "sub\\c.txt");
    EXPECT_EQ(f.owner.m_notices[3].text,
              "Failed to copy file " + f.program / "ro.txt" + " to " + f.game / "ro.txt");
    EXPECT_EQ(f.owner.m_notices[4].text, "The file does not exist: " + f.program / "folder");
    for (const auto& notice : f.owner.m_notices)
        EXPECT_TRUE(notice.plain);
}

TEST(FileCopier, TellsEachFileWithItsNumberAndStopsSilentlyWhenTheUserLeaves) {
    CopyFixture f("copy_file_1=a.txt\r\ncopy_file_2=missing.txt\r\ncopy_file_3=b.txt\r\n"
                  "copy_file_4=c.txt\r\ncopy_file_6=d.txt\r\n");
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        f.program.WriteFile(name, name);
    f.owner.m_leaveAt = 3; // keeping and copying a.txt, then keeping b.txt

    EXPECT_EQ(FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path()), 1);
    EXPECT_EQ(f.owner.m_copiesBegun, (std::vector<std::string>{"a.txt 1/4", "missing.txt 2/4", "b.txt 3/4"}));
    EXPECT_TRUE(PathExists(f.game / "a.txt"));
    EXPECT_FALSE(PathExists(f.game / "c.txt"));
    // Only the missing file is reported; leaving is no failure.
    ASSERT_EQ(f.owner.m_notices.size(), 1u);

    // Again: a.txt is there now but already listed, so no original is said to be kept.
    f.owner.m_leaveAt = 0;
    f.owner.m_copiesBegun.clear();
    EXPECT_EQ(FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path()), 3);
    EXPECT_EQ(f.owner.m_copiesBegun,
              (std::vector<std::string>{"a.txt 1/4", "missing.txt 2/4", "b.txt 3/4", "c.txt 4/4"}));
}

// Exit pressed as a piece of work for a file the game did not have got to its end: the list says
// exactly what is on the disk, so a restore removes the add-on's file and nothing the player makes.
TEST(FileCopier, WorkThatEndsAsTheUserLeavesIsListedAsItIs) {
    const struct {
        int leaveAt; // 1: as its line was written, 2: as its copy ended
        const char* list;
    } rows[] = {{1, ""}, {2, "added new.txt\r\n"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.leaveAt);
        CopyFixture f("copy_file_1=new.txt\r\ncopy_file_2=b.txt\r\n");
        f.program.WriteFile("new.txt", "add-on");
        f.program.WriteFile("b.txt", "add-on");
        f.owner.m_leaveAt = row.leaveAt;
        f.owner.m_leaveLate = true;
        FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path());
        EXPECT_EQ(PathExists(f.game / "new.txt"), row.leaveAt == 2);
        EXPECT_FALSE(PathExists(f.game / "b.txt"));
        EXPECT_EQ(ReadWholeFile(f.game / "KSInstaller Backup\\KSInstaller Backup.txt"), row.list);
    }
}

TEST(FileCopier, LeavesAGameFileWhoseOriginalCannotBeKeptAndGoesOn) {
    CopyFixture f("copy_file_1=a.txt\r\ncopy_file_2=b.txt\r\n");
    f.program.WriteFile("a.txt", "new a");
    f.program.WriteFile("b.txt", "new b");
    f.game.WriteFile("a.txt", "old a");
    // A file where the backup folder should be.
    f.game.WriteFile("KSInstaller Backup", "");

    EXPECT_EQ(FileCopier(f.settings, f.owner).CopyListedFiles(f.game.Path()), 0);
    EXPECT_EQ(ReadWholeFile(f.game / "a.txt"), "old a");
    EXPECT_FALSE(PathExists(f.game / "b.txt"));
    ASSERT_EQ(f.owner.m_notices.size(), 2u);
    EXPECT_EQ(f.owner.m_notices[0].text.rfind("The game file " + f.game / "a.txt" +
                                                  " could not be kept before it is replaced (error ",
                                              0),
              0u);
    EXPECT_NE(f.owner.m_notices[0].text.find("), so it was left as it is."), std::string::npos);
}
