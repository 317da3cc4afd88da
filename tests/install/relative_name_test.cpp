// File names from install.ini must stay inside the folder they are joined to.
#include <gtest/gtest.h>

#include <string>

#include "install/RelativeName.h"

TEST(RelativeName, AcceptsPlainNamesAndOrdinarySubfolders) {
    for (const char* name : {"gui.txt", "data\\gui.txt", "data/gui.txt", "a b\\c d.pff", "x..y", ".hidden",
                             "null.txt", "nul_x.txt", "console.cfg", "COM10", "deep\\er\\still\\file"})
        EXPECT_TRUE(RelativeName::IsSafe(name)) << name;
}

TEST(RelativeName, RefusesNamesThatLeaveTheFolderOrThatWindowsWouldAlter) {
    for (const char* name :
         {"", "\\gui.txt", "/gui.txt", "\\\\server\\share\\x", "C:\\gui.txt", "C:gui.txt", "..\\gui.txt",
          "data\\..\\..\\gui.txt", "data\\..", ".", "data\\.\\x", "gui.txt:stream", "gui.txt.", "gui.txt ",
          "data \\x", "data\\\\x", "data\\", "NUL", "nul.txt", "data\\CON", "com1.pff", "LPT9", "aux",
          "PRN.log", "a<b", "a>b", "a|b", "a\"b", "a?b", "a*b", "tab\there"})
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
