// The switches of a scripted run: what each command line asks for, and what is refused.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "settings/InstallSettings.h"
#include "support/TempFolder.h"

namespace {
struct Row {
    const char* arguments;
    bool silent, accept, restore, usage;
    const char* logFile;
    const char* gameFolder; // null: no /D=
    const char* error;      // the start of the refusal, or "" for none
};

const Row kRows[] = {
    {"", false, false, false, false, "", nullptr, ""},
    {"   ", false, false, false, false, "", nullptr, ""},
    {" /S", true, false, false, false, "", nullptr, ""},
    {"/s /accept /Log=x.log", true, true, false, false, "x.log", nullptr, ""},
    {"/S /RESTORE", true, false, true, false, "", nullptr, ""},
    {"/?", false, false, false, true, "", nullptr, ""},
    {"/S /?", true, false, false, true, "", nullptr, ""},
    // /D= takes the rest of the line, blanks and all, with or without quotes.
    {"/S /D=C:\\Program Files\\My Game ", true, false, false, false, "", "C:\\Program Files\\My Game", ""},
    {"/S /d=\"C:\\Program Files\\My Game\"", true, false, false, false, "", "C:\\Program Files\\My Game", ""},
    {"/S \"/D=C:\\My Game\\\"", true, false, false, false, "", "C:\\My Game", ""},
    {"/S /D=C:\\Games /ACCEPT", true, false, false, false, "", "C:\\Games /ACCEPT", ""},
    {"/S /D=C:\\", true, false, false, false, "", "C:\\", ""},
    {"/S /LOG=\"C:\\My Logs\\run.log\" /D=D:\\KS2", true, false, false, false, "C:\\My Logs\\run.log",
     "D:\\KS2", ""},
    // Anything not known is refused, and /S is found wherever it is, so that no box comes up.
    {"/S /SILENT", true, false, false, false, "", nullptr, "Unknown switch: /SILENT"},
    {"/X /S", true, false, false, false, "", nullptr, "Unknown switch: /X"},
    {"-S", false, false, false, false, "", nullptr, "Unknown switch: -S"},
    {"/S /D=", true, false, false, false, "", "", "/D= needs a game folder."},
    {"/S /D=\"\"  ", true, false, false, false, "", "", "/D= needs a game folder."},
    // A folder must be named: separators alone would mean the current drive's root.
    {"/S /D=\\", true, false, false, false, "", "\\", "/D=\\ names no game folder."},
    {"/S /D=\\\\server", true, false, false, false, "", "\\\\server", "/D=\\\\server names"},
    {"/S /D=\"//server/\"", true, false, false, false, "", "//server/", "/D=//server/ names"},
    {"/S /D=\\\\server\\share\\", true, false, false, false, "", "\\\\server\\share", ""},
    {"/S /LOG=", true, false, false, false, "", nullptr, "/LOG= needs a file name."},
    {"/S /s", true, false, false, false, "", nullptr, "The switch /s is given twice."},
    {"/S /LOG=a /LOG=b", true, false, false, false, "b", nullptr, "The switch /LOG= is given twice."},
    {"/ACCEPT", false, true, false, false, "", nullptr,
     "/ACCEPT, /RESTORE, /LOG= and /D= work only with /S."},
    {"/D=C:\\Games", false, false, false, false, "", "C:\\Games", "/ACCEPT, /RESTORE"},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << "[" << row.arguments << "]";
}

class CommandLineRows : public testing::TestWithParam<Row> {};

TEST_P(CommandLineRows, AskForWhatTheSwitchesSayAndRefuseTheRest) {
    const Row& row = GetParam();
    CommandLine line = CommandLine::Parse(row.arguments);
    EXPECT_EQ(line.m_silent, row.silent);
    EXPECT_EQ(line.m_accept, row.accept);
    EXPECT_EQ(line.m_restore, row.restore);
    EXPECT_EQ(line.m_usage, row.usage);
    EXPECT_EQ(line.m_logFile, row.logFile);
    EXPECT_EQ(line.m_folderGiven, row.gameFolder != nullptr);
    EXPECT_EQ(line.m_gameFolder, row.gameFolder ? row.gameFolder : "");
    EXPECT_EQ(line.m_error.rfind(row.error, 0), 0u) << line.m_error;
    EXPECT_EQ(line.m_error.empty(), *row.error == '\0') << line.m_error;
    EXPECT_EQ(line.IsEmpty(), std::string(row.arguments).find_first_not_of(' ') == std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rows, CommandLineRows, testing::ValuesIn(kRows));
} // namespace

TEST(CommandLine, ArgumentsAreWhatFollowsTheProgramHoweverItIsNamed) {
    TempFolder folder;
    folder.WriteFile("My Addon\\KSInstaller.exe", "MZ");
    std::string dir = folder / "My Addon";
    auto arguments = [](const std::string& line) { return InstallSettings::ArgumentsFromCommandLine(line); };
    EXPECT_EQ(arguments("\"C:\\My Add-on\\KSInstaller.exe\" /S /D=C:\\A B"), " /S /D=C:\\A B");
    EXPECT_EQ(arguments("\"C:\\My Add-on\\KSInstaller.exe\"/S"), "/S");
    EXPECT_EQ(arguments("\"C:\\Unclosed\\KSInstaller.exe /S"), "");
    EXPECT_EQ(arguments("KSInstaller.exe"), "");
    EXPECT_EQ(arguments("KSInstaller.exe /S"), " /S");
    EXPECT_EQ(arguments(""), "");
    // Unquoted with blanks: the program is the first blank-ended prefix that names one.
    EXPECT_EQ(arguments(dir + "\\KSInstaller.exe /S /D=C:\\A B"), " /S /D=C:\\A B");
    EXPECT_EQ(arguments(dir + "\\KSInstaller /S"), " /S");
}
