// File names from install.ini must stay inside the folder they are joined to.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>

#include "config/RelativeName.h"
#include "support/TempFolder.h"

TEST(RelativeName, AcceptsPlainNamesAndOrdinarySubfolders) {
    for (const char* name : {"gui.txt", "data\\gui.txt", "data/gui.txt", "a b\\c d.pff", "x..y", ".hidden",
                             "null.txt", "nul_x.txt", "console.cfg", "COM10", "deep\\er\\still\\file"})
        EXPECT_TRUE(RelativeName::IsSafe(name)) << name;
}

TEST(RelativeName, RefusesNamesThatLeaveTheFolderOrThatWindowsWouldAlter) {
    for (const char* name : {"",
                             "\\gui.txt",
                             "/gui.txt",
                             "\\\\server\\share\\x",
                             "C:\\gui.txt",
                             "C:gui.txt",
                             "..\\gui.txt",
                             "data\\..\\..\\gui.txt",
                             "data\\..",
                             ".",
                             "data\\.\\x",
                             "gui.txt:stream",
                             "gui.txt.",
                             "gui.txt ",
                             "data \\x",
                             "data\\\\x",
                             "data\\",
                             "NUL",
                             "nul.txt",
                             "data\\CON",
                             "com1.pff",
                             "LPT9",
                             "aux",
                             "PRN.log",
                             "a<b",
                             "a>b",
                             "a|b",
                             "a\"b",
                             "a?b",
                             "a*b",
                             "tab\there"})
        EXPECT_FALSE(RelativeName::IsSafe(name)) << name;
}

TEST(RelativeName, JoinInsideKeepsNamesInsideTheFolderIncludingDriveRoots) {
    struct Row {
        const char* folder;
        const char* name;
        const char* joined;
    };
    for (const Row& row : {Row{"C:\\game", "data\\gui.txt", "C:\\game\\data\\gui.txt"},
                           Row{"C:\\game", "data/gui.txt", "C:\\game\\data/gui.txt"},
                           Row{"C:\\games\\..\\game", "a.txt", "C:\\games\\..\\game\\a.txt"},
                           Row{"D:", "a.txt", "D:\\a.txt"}, Row{"D:\\", "sub\\a.txt", "D:\\sub\\a.txt"}}) {
        std::string joined;
        EXPECT_TRUE(RelativeName::JoinInside(row.folder, row.name, joined)) << row.folder << " " << row.name;
        EXPECT_EQ(joined, row.joined);
    }
}

TEST(RelativeName, JoinInsideRefusesUnsafeNamesAndLeavesNothingToUse) {
    for (const char* name : {"..\\a.txt", "C:\\a.txt", "a.txt:s", "NUL", "data\\..\\..\\a.txt", ""}) {
        std::string joined = "left over";
        EXPECT_FALSE(RelativeName::JoinInside("C:\\game", name, joined)) << name;
        EXPECT_TRUE(joined.empty()) << name;
    }
    std::string joined;
    EXPECT_FALSE(RelativeName::JoinInside("", "a.txt", joined));
    // Beyond what the platform resolves at all: refused rather than cut. A merely long path is
    // joined, and opening it reports the failure.
    EXPECT_FALSE(RelativeName::JoinInside("C:\\" + std::string(40000, 'g'), "a.txt", joined));
    EXPECT_TRUE(RelativeName::JoinInside("C:\\" + std::string(300, 'g'), std::string(259, 'c'), joined));
}

TEST(RelativeName, NamesCompareAsTheFileSystemDoesAndResolveToTheirLongFormOnTheDisk) {
    // Letter case alone makes no other file; a language's rules are no file system's.
    for (const auto& [a, b, same] : {std::make_tuple("Data\\GUI.txt", "data\\gui.txt", true),
                                     std::make_tuple("stra\xdf"
                                                     "e.txt",
                                                     "strasse.txt", false),
                                     std::make_tuple("a\xad"
                                                     "b.txt",
                                                     "ab.txt", false),
                                     std::make_tuple("\xe6.txt", "ae.txt", false),
                                     std::make_tuple("\xc9t\xe9.txt", "\xe9t\xe9.txt", true),
                                     std::make_tuple("", "", true), std::make_tuple("a", "", false)})
        EXPECT_EQ(RelativeName::SameName(a, b), same) << a << " / " << b;

    TempFolder game;
    game.WriteFile("Data Files\\gui.txt", "g");
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((game / "Data Files").c_str(), &found));
    const std::string alias = found.cAlternateFileName;
    ASSERT_FALSE(alias.empty());
    struct Row {
        std::string name;
        std::string resolved;
    };
    for (const Row& row : {Row{alias + "\\gui.txt", "Data Files\\gui.txt"},
                           Row{alias + "/new\\later.txt", "Data Files\\new\\later.txt"},
                           Row{"DATA FILES\\GUI.TXT", "Data Files\\gui.txt"},
                           Row{"gone\\x.txt", "gone\\x.txt"}, Row{"..\\outside.txt", "..\\outside.txt"}})
        EXPECT_TRUE(RelativeName::SameName(RelativeName::LongName(game.Path(), row.name), row.resolved))
            << row.name << " gave " << RelativeName::LongName(game.Path(), row.name);
}
