// The one command line of the pack batch file, and the names of that file and of the log.
#include "pack/BatchLine.h"

#include "framework/TextFormat.h"

std::string BatchLine::Quote(const std::string& path) {
    // Unquoted, "R&D" would run a second command and "a;b" would split into two arguments.
    bool needsQuotes = path.find_first_of(" \t&|<>^(),;=%") != std::string::npos;
    std::string quoted;
    quoted.reserve(path.size() + 2);
    if (needsQuotes)
        quoted += '"';
    for (char c : path) {
        // A batch file expands %name% even inside quotation marks; %% stands for one %.
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    if (needsQuotes)
        quoted += '"';
    return quoted;
}

std::string BatchLine::Build(const std::string& packTool, const std::string& destination,
                             const std::vector<std::string>& sources, bool addMSwitch,
                             const std::string& log) {
    std::string line = Quote(packTool) + " " + Quote(destination);
    for (const std::string& source : sources)
        line += " " + Quote(source);
    if (addMSwitch)
        line += " /m";
    return line + " > " + Quote(log);
}

std::string BatchLine::FileName(const std::string& folder, const char* stem, unsigned long tick,
                                const char* extension) {
    return FormatText("%s\\%s%d%s", folder.c_str(), stem, static_cast<int>(tick), extension);
}
