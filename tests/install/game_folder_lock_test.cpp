// One installation or restore per game folder: one lock however the folder is spelled, and busy while a
// pack tool still writes its log there.
#include <gtest/gtest.h>

#include <windows.h>

#include "RecordingOwner.h"
#include "install/GameFolderLock.h"
#include "install/InstallFlow.h"
#include "settings/InstallSettings.h"
#include "support/TempFolder.h"

namespace {
std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : path;
}

std::string Upper(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}
} // namespace

TEST(GameFolderLock, HeldFolderIsRefusedUnderEverySpellingUntilReleasedAndOtherFoldersAreFree) {
    TempFolder games;
    const std::string game = games.MakeFolder("Kestrel Squad Two");
    const std::string other = games.MakeFolder("Kestrel Squad");
    ASSERT_NE(ShortPath(game), game);
    const std::string third = games.MakeFolder("Kestrel Squad 3");
    // Too long for a path of the system's: refused, and no other installation blamed.
    const std::string deep = games.MakeFolder(std::string(120, 'd') + "\\" + std::string(140, 'e'));

    GameFolderLock first;
    ASSERT_TRUE(first.TryAcquire(game.c_str()));
    EXPECT_TRUE(first.Held());
    const bool linked = MakeFolderLink(games / "Linked", game);
    for (const std::string& spelling : {game, game + "\\", Upper(game), ShortPath(game),
                                        ShortPath(game) + "\\", other + "\\..\\" + "kestrel squad two",
                                        games / "Kestrel Squad Two\\.", linked ? games / "Linked" : game}) {
        GameFolderLock second;
        EXPECT_FALSE(second.TryAcquire(spelling.c_str())) << spelling;
        EXPECT_FALSE(second.Held());
    }
    GameFolderLock beside;
    EXPECT_TRUE(beside.TryAcquire(other.c_str()));
    GameFolderLock deepLock;
    EXPECT_FALSE(deepLock.TryAcquire(deep.c_str()));
    EXPECT_NE(deepLock.Refusal(), static_cast<DWORD>(ERROR_BUSY));
    EXPECT_TRUE(GameFolderLock().TryAcquire(third.c_str()));

    first.Release();
    EXPECT_FALSE(first.Held());
    {
        GameFolderLock again;
        EXPECT_TRUE(again.TryAcquire(Upper(game).c_str()));
    }
    // Its destructor let go of it.
    EXPECT_TRUE(first.TryAcquire(game.c_str()));
    // The lock is a file in the folder, deleted when let go.
    EXPECT_TRUE(PathExists(other + "\\KSInstaller.lock"));
    EXPECT_FALSE(PathExists(third + "\\KSInstaller.lock"));
    if (linked)
        RemoveFolderLink(games / "Linked");

    // A tool that outlived its installer holds its log open through the batch's redirection; a game
    // file of another name is no log.
    first.Release();
    for (const char* name : {"log_-2042.txt", "log_errors.txt"}) {
        UniqueFileHandle log(CreateFileA((game + "\\" + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(log);
        EXPECT_EQ(first.TryAcquire(game.c_str()), name[4] != '-') << name;
        EXPECT_EQ(first.Refusal(), name[4] != '-' ? ERROR_SUCCESS : ERROR_BUSY) << name;
        first.Release();
    }
    EXPECT_TRUE(first.TryAcquire(game.c_str()));
    first.Release();

    // A lock a power cut left behind is taken over; a file or folder of someone else's by its name is
    // left as it is, and blames no other installation.
    const std::string lockFile = third + "\\KSInstaller.lock";
    for (const char* content : {"KSInstaller lock\r\n", "", "a game's own file"}) {
        games.WriteFile(lockFile.substr(games.Path().size() + 1), content);
        const bool ours = content[0] != 'a';
        EXPECT_EQ(deepLock.TryAcquire(third.c_str()), ours) << content;
        deepLock.Release();
        EXPECT_EQ(PathExists(lockFile), !ours) << content;
        if (!ours) {
            EXPECT_EQ(ReadWholeFile(lockFile), content);
        }
    }
    DeleteFileA(lockFile.c_str());
    CreateDirectoryA(lockFile.c_str(), nullptr);
    EXPECT_FALSE(deepLock.TryAcquire(third.c_str()));
    EXPECT_NE(deepLock.Refusal(), static_cast<DWORD>(ERROR_BUSY));
    EXPECT_EQ(deepLock.RefusalText(third).rfind("The game folder " + third + " cannot be locked", 0), 0u);
    EXPECT_TRUE(first.TryAcquire(game.c_str()));

    // An installation that finds the folder taken says so and goes no further.
    RecordingOwner owner;
    InstallSettings settings;
    InstallFlow flow(settings, owner);
    EXPECT_FALSE(flow.LockFolder(game + "\\"));
    ASSERT_EQ(owner.m_notices.size(), 1u);
    EXPECT_EQ(owner.m_notices[0].text, "Another installation or restore is working on " + game +
                                           "\\. Wait until it has finished, then try again.");
    first.Release();
    EXPECT_TRUE(flow.LockFolder(game + "\\"));
    EXPECT_FALSE(first.TryAcquire(game.c_str()));
}
