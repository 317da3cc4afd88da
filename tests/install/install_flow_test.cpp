// The outcome of an installation's pack run: what the front end hears, and when the folder is free.
#include <gtest/gtest.h>

#include "RecordingOwner.h"
#include "install/GameFolderLock.h"
#include "install/InstallFlow.h"
#include "pack/PackRun.h"
#include "settings/InstallSettings.h"
#include "support/TempFolder.h"

TEST(InstallFlow, OutcomeIsToldAndFreesTheFolderOnlyWhenTheRunWasWatched) {
    TempFolder game;
    RecordingOwner owner;
    InstallSettings settings;
    settings.m_gameFolder = game.Path();
    InstallFlow flow(settings, owner);
    auto folderIsFree = [&] { return GameFolderLock().TryAcquire(game.Path().c_str()); };

    // Judged without its process, the tool may still be packing: the folder stays taken.
    ASSERT_TRUE(flow.LockFolder(game.Path()));
    EXPECT_EQ(flow.PackEnded(PackRun(nullptr, "log_1.txt", 2, false), 2), InstallFlow::Result::Installed);
    EXPECT_FALSE(folderIsFree());
    EXPECT_EQ(owner.m_notices.back().text, "Install done.");

    EXPECT_EQ(flow.PackEnded(PackRun(nullptr, "log_2.txt", 2, true), 1), InstallFlow::Result::PackFailed);
    EXPECT_TRUE(folderIsFree());
    EXPECT_EQ(owner.m_notices.back().text,
              "Packing failed: 1 of 2 archives reported OK. See the log log_2.txt");
}
