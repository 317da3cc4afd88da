// The one command line of the pack batch file, and the names of that file and of the log.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class BatchLine {
public:
    // A path as the command interpreter must read it from a batch file: in quotation marks when
    // it holds a blank or a character it treats specially, with every % doubled.
    static std::string Quote(const std::string& path);

    // tool destination source... [/m] > log, every path through Quote; no line break.
    static std::string Build(const std::string& packTool, const std::string& destination,
                             const std::vector<std::string>& sources, bool addMSwitch,
                             const std::string& log);

    // The UTF-8 text in the code page, only when those bytes read back as the same text: a '?' or
    // a best-fit letter ("a" for "ā") put in would name some other file.
    static bool ToCodePage(UINT codePage, const std::string& text, std::string& narrow);
    // The code page the command interpreter reads the batch file in: that of the hidden console the
    // shell gives it, which is the OEM one, not the system's (ANSI) one the tool reads its arguments in.
    static UINT InterpreterCodePage() { return GetOEMCP(); }
    static constexpr const char* kUnreadablePathText =
        "The path %s cannot be passed to the archive tool: its name has characters the tool cannot "
        "read, and the volume gives it no short name. Move the game or the add-on into a folder with a "
        "plain name.";

    // folder\<stem><tick><extension>, the tick written as a signed 32-bit number.
    static std::string FileName(const std::string& folder, const char* stem, unsigned long tick,
                                const char* extension);
};
