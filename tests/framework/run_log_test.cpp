// The run log: stamped lines appended to its file, always UTF-8 whatever it is handed.
#include <gtest/gtest.h>

#include "framework/RunLog.h"
#include "framework/Utf8.h"
#include "support/TempFolder.h"

TEST(RunLog, AppendsStampedLinesThatAreAlwaysUtf8) {
    TempFolder folder;
    std::string path = folder.WriteFile("run log.txt", "earlier\r\n");
    RunLog log;
    ASSERT_EQ(log.OpenFile(path), static_cast<DWORD>(ERROR_SUCCESS));
    log.Write("caf\xE9\r\nand \xD0\x96 \xF0\x9F\x98\x80 \xED\xA0\x80");
    std::string text = ReadWholeFile(path);
    EXPECT_TRUE(IsUtf8(text.data(), text.size()));
    // Well-formed characters stay; the line end became blanks.
    EXPECT_EQ(text.substr(0, 9) + text.substr(29, 23),
              "earlier\r\ncaf\xEF\xBF\xBD  and \xD0\x96 \xF0\x9F\x98\x80 \xEF\xBF\xBD")
        << text;
}
