// Where a bitmap_file name is looked for, and the names that are never opened.
#include <gtest/gtest.h>

#include "app/PictureFile.h"

using Paths = std::vector<std::string>;

TEST(PictureFile, RelativeNameIsTriedNextToTheProgramFirstThenAsGiven) {
    EXPECT_EQ(PictureFile::Candidates("splash.bmp", "C:\\Addon"),
              (Paths{"C:\\Addon\\splash.bmp", "splash.bmp"}));
    EXPECT_EQ(PictureFile::Candidates("pics\\splash.bmp", "C:\\Addon"),
              (Paths{"C:\\Addon\\pics\\splash.bmp", "pics\\splash.bmp"}));
    EXPECT_EQ(PictureFile::Candidates("splash.bmp", ""), (Paths{"splash.bmp"}));
    EXPECT_EQ(PictureFile::Candidates("D:\\Pictures\\splash.bmp", "C:\\Addon"),
              (Paths{"D:\\Pictures\\splash.bmp"}));
}

TEST(PictureFile, NamesThatLeaveTheFoldersOrReachDevicesOrOtherMachinesAreNotOpened) {
    for (const char* name :
         {"", "..\\splash.bmp", "pics\\..\\..\\splash.bmp", "C:\\..\\splash.bmp",
          "\\\\server\\share\\splash.bmp", "\\\\.\\COM1", "\\\\?\\C:\\splash.bmp", "CON", "pics\\aux.bmp",
          "C:splash.bmp", "\\splash.bmp", "splash.bmp:stream", "C:\\", "splash.bmp.", "C:\\pics\\nul"})
        EXPECT_EQ(PictureFile::Candidates(name, "C:\\Addon"), Paths{}) << name;
}
