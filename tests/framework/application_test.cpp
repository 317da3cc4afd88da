// The application name and the printf-style formatter.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/TextFormat.h"

TEST(ApplicationName, IsTheProgramFileWithoutFolderAndExtension) {
    EXPECT_EQ(BaseNameOf("C:\\Add-on\\kit.exe"), "kit");
    EXPECT_EQ(BaseNameOf("kit.exe"), "kit");
    EXPECT_EQ(BaseNameOf("C:\\a.b\\kit"), "kit");
    EXPECT_EQ(BaseNameOf("C:\\x\\my.setup.exe"), "my.setup");
    EXPECT_EQ(BaseNameOf("C:kit.exe"), "kit");
    EXPECT_EQ(BaseNameOf("C:\\x\\.exe"), ".exe");
    // The test program itself is framework_tests.exe.
    EXPECT_EQ(ApplicationName(), "framework_tests");
}

TEST(FormatText, FillsArgumentsWithoutAFixedLimit) {
    EXPECT_EQ(FormatText("Failed to copy file %s to %s", "a", "b"), "Failed to copy file a to b");
    std::string longPath(5000, 'x');
    std::string text = FormatText("[%s] %d", longPath.c_str(), -7);
    EXPECT_EQ(text.size(), 5000u + 5u);
    EXPECT_EQ(text.substr(text.size() - 4), "] -7");
    EXPECT_EQ(FormatText("%s", ""), "");
}
