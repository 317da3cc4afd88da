// The one command line of the pack batch file, and the names of that file and of the log.
#pragma once

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

    // The UTF-8 text in the system code page, as the command interpreter reads a batch file and
    // the tool its arguments; false when some character has no place there, since a '?' put in
    // would name some other file.
    static bool ToCodePage(const std::string& text, std::string& narrow);
    static constexpr const char* kUnreadablePathText =
        "The path %s cannot be passed to the archive tool: its name has characters the tool cannot "
        "read, and the volume gives it no short name. Move the game or the add-on into a folder with a "
        "plain name.";

    // folder\<stem><tick><extension>, the tick written as a signed 32-bit number.
    static std::string FileName(const std::string& folder, const char* stem, unsigned long tick,
                                const char* extension);
};
