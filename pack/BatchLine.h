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

    // folder\<stem><tick><extension>, the tick written as a signed 32-bit number.
    static std::string FileName(const std::string& folder, const char* stem, unsigned long tick,
                                const char* extension);
};
