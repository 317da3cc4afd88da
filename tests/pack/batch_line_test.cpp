// The pack batch line and the names of the batch and log files.
#include <gtest/gtest.h>

#include "pack/BatchLine.h"

TEST(BatchLine, PlainShortPathsComeOutExactlyAsTheToolExpectsThem) {
    EXPECT_EQ(BatchLine::Build("C:\\GAMES\\DEMO\\pack.exe", "C:\\GAMES\\DEMO\\gui.pff",
                               {"E:\\SETUP\\newgui.pff"}, true, "C:\\GAMES\\DEMO\\log_987.txt"),
              "C:\\GAMES\\DEMO\\pack.exe C:\\GAMES\\DEMO\\gui.pff E:\\SETUP\\newgui.pff /m > "
              "C:\\GAMES\\DEMO\\log_987.txt");
    EXPECT_EQ(BatchLine::Build("C:\\G\\pack.exe", "C:\\G\\gui.pff", {"E:\\a.pff", "E:\\b.pff"}, false,
                               "C:\\G\\log_1.txt"),
              "C:\\G\\pack.exe C:\\G\\gui.pff E:\\a.pff E:\\b.pff > C:\\G\\log_1.txt");
    // An empty game folder leaves the log in the root of the current drive.
    EXPECT_EQ(BatchLine::Build("E:\\S\\pack.exe", "E:\\S\\gui.pff", {"E:\\S\\n.pff"}, true, "\\log_5.txt"),
              "E:\\S\\pack.exe E:\\S\\gui.pff E:\\S\\n.pff /m > \\log_5.txt");
}

TEST(BatchLine, PathsTheInterpreterWouldSplitOrExpandAreQuotedOneByOne) {
    EXPECT_EQ(BatchLine::Quote("C:\\My Games\\pack.exe"), "\"C:\\My Games\\pack.exe\"");
    EXPECT_EQ(BatchLine::Quote("C:\\R&D\\gui.pff"), "\"C:\\R&D\\gui.pff\"");
    EXPECT_EQ(BatchLine::Quote("C:\\100%OS%\\gui.pff"), "\"C:\\100%%OS%%\\gui.pff\"");
    for (const char* special : {"|", "<", ">", "^", "(", ")", ",", ";", "=", "\t"})
        EXPECT_EQ(BatchLine::Quote(std::string("C:\\a") + special + "b"),
                  std::string("\"C:\\a") + special + "b\"")
            << special;
    EXPECT_EQ(BatchLine::Quote("C:\\plain-name_1.x~2"), "C:\\plain-name_1.x~2");

    EXPECT_EQ(BatchLine::Build("C:\\R&D\\pack.exe", "C:\\R&D\\gui.pff", {"E:\\my setup\\a.pff", "E:\\b.pff"},
                               true, "C:\\R&D\\log_3.txt"),
              "\"C:\\R&D\\pack.exe\" \"C:\\R&D\\gui.pff\" \"E:\\my setup\\a.pff\" E:\\b.pff /m > "
              "\"C:\\R&D\\log_3.txt\"");
}

TEST(BatchLine, FileNamesCarryTheTickAsASignedNumber) {
    EXPECT_EQ(BatchLine::FileName("E:\\SETUP", "packit_", 987, ".bat"), "E:\\SETUP\\packit_987.bat");
    // After about 24.8 days of uptime the counter reads as negative.
    EXPECT_EQ(BatchLine::FileName("C:\\G", "log_", 0xFFFFFC19ul, ".txt"), "C:\\G\\log_-999.txt");
    EXPECT_EQ(BatchLine::FileName("C:\\G", "log_", 0x80000000ul, ".txt"), "C:\\G\\log_-2147483648.txt");
    EXPECT_EQ(BatchLine::FileName("", "log_", 5, ".txt"), "\\log_5.txt");
}
