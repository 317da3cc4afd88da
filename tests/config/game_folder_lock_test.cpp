// One installation or restore per game folder: the lock names the folder however it is spelled.
#include <gtest/gtest.h>

#include <windows.h>

#include "RecordingOwner.h"
#include "config/GameFolderLock.h"
#include "config/InstallSettings.h"
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
    // Longer than a kernel object's name may be: the name is a hash of it then.
    const std::string deep = games.MakeFolder(std::string(120, 'd') + "\\" + std::string(120, 'e'));
    const std::string deepSibling = games.MakeFolder(std::string(120, 'd') + "\\" + std::string(120, 'f'));

    GameFolderLock first;
    ASSERT_TRUE(first.TryAcquire(game.c_str()));
    EXPECT_TRUE(first.Held());
    for (const std::string& spelling :
         {game, game + "\\", Upper(game), ShortPath(game), ShortPath(game) + "\\",
          other + "\\..\\" + "kestrel squad two", games / "Kestrel Squad Two\\."}) {
        GameFolderLock second;
        EXPECT_FALSE(second.TryAcquire(spelling.c_str())) << spelling;
        EXPECT_FALSE(second.Held());
    }
    GameFolderLock beside;
    EXPECT_TRUE(beside.TryAcquire(other.c_str()));
    GameFolderLock deepLock;
    ASSERT_TRUE(deepLock.TryAcquire(deep.c_str()));
    EXPECT_FALSE(GameFolderLock().TryAcquire((deep + "\\").c_str()));
    EXPECT_TRUE(GameFolderLock().TryAcquire(deepSibling.c_str()));

    first.Release();
    EXPECT_FALSE(first.Held());
    {
        GameFolderLock again;
        EXPECT_TRUE(again.TryAcquire(Upper(game).c_str()));
    }
    // Its destructor let go of it.
    EXPECT_TRUE(first.TryAcquire(game.c_str()));

    // An installation that finds the folder taken says so and goes no further.
    RecordingOwner owner;
    InstallSettings settings;
    settings.m_owner = &owner;
    settings.m_gameFolder = game + "\\";
    EXPECT_FALSE(settings.LockGameFolder());
    ASSERT_EQ(owner.m_notices.size(), 1u);
    EXPECT_EQ(owner.m_notices[0].text, "Another installation or restore is working on " + game +
                                           "\\. Wait until it has finished, then try again.");
    first.Release();
    EXPECT_TRUE(settings.LockGameFolder());
    EXPECT_FALSE(first.TryAcquire(game.c_str()));
}
