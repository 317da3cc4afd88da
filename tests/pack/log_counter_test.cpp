// Counting the success reports of a pack log.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/Handles.h"
#include "pack/LogCounter.h"
#include "support/TempFolder.h"

TEST(LogCounter, CountsLinesWithCapitalOKAsAWordAndNothingElse) {
    TempFolder folder;
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("a.txt", "file1.pff OK\r\nfile2.pff failed\r\n")),
              1);
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("b.txt", "BOOK.PFF written\nok\nOk\nOK")), 1);
    // Upper-case short paths hold "OK" inside words; only a word of its own is a success.
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile(
                  "w.txt", "C:\\GAMES\\BOOKS~1\\NEWGUI.PFF: FAILED\r\nOK1\r\n_OK_\r\n(OK)\r\nOKAY\r\n")),
              2);
    // A lone CR is no line end: both halves stay one line.
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("c.txt", "O\rK\r\nx OK\rOK\r\n")), 1);
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("d.txt", "\r\n\r\nOK\r\n\r\n")), 1);
}

TEST(LogCounter, LongLinesAreJudgedInPiecesOf255) {
    TempFolder folder;
    // 600 characters: pieces of 255, 255 and 90, an OK in each.
    std::string line =
        std::string(253, '.') + "OK" + std::string(253, '.') + "OK" + std::string(88, '.') + "OK";
    ASSERT_EQ(line.size(), 600u);
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("three.txt", line + "\r\n")), 3);
    // An OK across the boundary of the first piece is not found.
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("split.txt", std::string(254, 'x') + "OK\r\n")), 0);
    // A CR LF that falls across the buffer the reader fills still ends one line.
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += "abcdefghijk: OK\r\n"; // 17 bytes: a CR lands on byte 4095
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("many.txt", many)), 2000);
}

TEST(LogCounter, MissingEmptyOrUnreadableLogCountsNothing) {
    TempFolder folder;
    EXPECT_EQ(LogCounter::CountOkPieces(folder / "missing.txt"), 0);
    EXPECT_EQ(LogCounter::CountOkPieces(folder.WriteFile("empty.txt", "")), 0);
    EXPECT_EQ(LogCounter::CountOkPieces(folder.MakeFolder("folder.txt")), 0);
    // Held open by a writer that shares nothing.
    std::string locked = folder.WriteFile("locked.txt", "a: OK\r\n");
    UniqueFileHandle writer(
        CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(LogCounter::CountOkPieces(locked), 0);
    writer.reset();
    EXPECT_EQ(LogCounter::CountOkPieces(locked), 1);
}
