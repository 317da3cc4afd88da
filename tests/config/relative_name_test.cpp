// File names from install.ini must stay inside the folder they are joined to.
#include <gtest/gtest.h>

#include "config/RelativeName.h"

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
