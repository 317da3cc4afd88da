// The one command line of the pack batch file, and the names of that file and of the log.
#include "pack/BatchLine.h"

#include <windows.h>

#include "framework/TextFormat.h"
#include "framework/WideText.h"

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

bool BatchLine::ToCodePage(const std::string& text, std::string& narrow) {
    narrow.clear();
    if (text.empty())
        return true;
    WideText wide(text);
    // Neither best-fit letters ("a" for "ā") nor '?': either would name some other file.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* lossy = utf8 ? nullptr : &usedDefault;
    int length = WideCharToMultiByte(CP_ACP, flags, wide.c_str(), wide.Length(), nullptr, 0, nullptr, lossy);
    if (length <= 0 || usedDefault)
        return false;
    narrow.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.c_str(), wide.Length(), &narrow[0], length, nullptr, lossy);
    return !usedDefault;
}
