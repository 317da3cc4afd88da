// The folder kept from a chosen file, and when it counts as the detected one.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/ChosenFolder.h"
#include "settings/InstallSettings.h"
#include "support/TempFolder.h"

TEST(ChosenFolder, KeepsTheTextBeforeTheLastBackslash) {
    EXPECT_EQ(ChosenFolder::FromFilePath("C:\\Games\\Kestrel Squad\\resource.pff"),
              "C:\\Games\\Kestrel Squad");
    EXPECT_EQ(ChosenFolder::FromFilePath("C:\\x.pff"), "C:");
    EXPECT_EQ(ChosenFolder::FromFilePath("\\\\server\\share\\x.pff"), "\\\\server\\share");
    EXPECT_EQ(ChosenFolder::FromFilePath("resource.pff"), "resource.pff");
    EXPECT_EQ(ChosenFolder::FromFilePath(""), "");
}

TEST(ChosenFolder, SameFolderInOtherCaseShortFormOrWithTrailingBackslashDoesNotDiffer) {
    InstallSettings settings;
    TempFolder temp;
    std::string game = temp.MakeFolder("Kestrel Squad Gold");
    std::string other = temp.MakeFolder("Kestrel Squad Other");
    char shortForm[MAX_PATH];
    DWORD length = GetShortPathNameA(game.c_str(), shortForm, sizeof shortForm);
    ASSERT_TRUE(length > 0 && length < sizeof shortForm);
    ASSERT_NE(std::string(shortForm), game);
    std::string upper = game;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

    EXPECT_FALSE(ChosenFolder::DiffersFrom(game, game, settings));
    EXPECT_FALSE(ChosenFolder::DiffersFrom(upper, game, settings));
    EXPECT_FALSE(ChosenFolder::DiffersFrom(shortForm, game, settings));
    EXPECT_FALSE(ChosenFolder::DiffersFrom(game, shortForm, settings));
    EXPECT_FALSE(ChosenFolder::DiffersFrom(game, game + "\\", settings));
    EXPECT_FALSE(ChosenFolder::DiffersFrom("C:", "C:\\", settings));
    // Without a short form to find, case alone still does not count.
    EXPECT_FALSE(ChosenFolder::DiffersFrom(temp / "Gone Folder", temp / "GONE FOLDER", settings));

    EXPECT_TRUE(ChosenFolder::DiffersFrom(other, game, settings));
    EXPECT_TRUE(ChosenFolder::DiffersFrom(temp.Path(), game, settings));
    EXPECT_TRUE(ChosenFolder::DiffersFrom(game, "", settings));
}
