// The switches of a scripted run, read from what follows the program's name.
#include "app/CommandLine.h"

#include "framework/TextFormat.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWith(const std::string& text, std::string::size_type at, const char* start) {
    for (; *start; ++start, ++at) {
        if (at >= text.size() || Upper(text[at]) != *start)
            return false;
    }
    return true;
}

// A path given on the command line: no quotes (no file name holds one), no blanks around it.
std::string Unquoted(const std::string& text) {
    std::string value;
    for (char c : text) {
        if (c != '"')
            value += c;
    }
    std::string::size_type first = 0;
    while (first < value.size() && IsBlank(value[first]))
        ++first;
    std::string::size_type last = value.size();
    while (last > first && IsBlank(value[last - 1]))
        --last;
    return value.substr(first, last - first);
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// False for a path that cannot name a folder: separators alone ("\\" would become the current
// drive's root) or a network path without both its server and its share.
bool NamesAFolder(const std::string& path) {
    if (path.find_first_not_of("\\/") == std::string::npos)
        return false;
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1]))
        return true;
    std::string::size_type server = 2;
    std::string::size_type share = path.find_first_of("\\/", server) + 1;
    return share > server + 1 && share < path.size() && !IsSeparator(path[share]);
}

// "C:\Games\" names the same folder as "C:\Games"; "C:\" keeps its backslash.
std::string WithoutTrailingBackslash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '\\' && folder[folder.size() - 2] != ':')
        folder.pop_back();
    return folder;
}
} // namespace

CommandLine CommandLine::Parse(const std::string& arguments) {
    CommandLine line;
    // The first problem is the one told; the rest is still read, so that /S is seen wherever it is.
    auto fail = [&line](const std::string& error) {
        if (line.m_error.empty())
            line.m_error = error;
    };
    auto once = [&fail](bool& flag, const std::string& token) {
        if (flag)
            fail("The switch " + token + " is given twice.");
        flag = true;
    };
    bool logGiven = false;
    for (std::string::size_type at = 0;;) {
        while (at < arguments.size() && IsBlank(arguments[at]))
            ++at;
        if (at == arguments.size())
            break;
        std::string::size_type name = arguments[at] == '"' ? at + 1 : at;
        if (StartsWith(arguments, name, "/D=")) {
            std::string folder = Unquoted(arguments.substr(name + 3));
            line.m_gameFolder = WithoutTrailingBackslash(folder);
            line.m_folderGiven = true;
            if (folder.empty())
                fail("/D= needs a game folder.");
            else if (!NamesAFolder(folder))
                fail("/D=" + folder + " names no game folder.");
            break;
        }
        // One token: blanks inside quotes belong to it, and the quotes go.
        std::string token;
        for (bool quoted = false; at < arguments.size() && (quoted || !IsBlank(arguments[at])); ++at) {
            if (arguments[at] == '"')
                quoted = !quoted;
            else
                token += arguments[at];
        }
        std::string upper;
        for (char c : token)
            upper += Upper(c);
        if (upper == "/S") {
            once(line.m_silent, token);
        } else if (upper == "/ACCEPT") {
            once(line.m_accept, token);
        } else if (upper == "/RESTORE") {
            once(line.m_restore, token);
        } else if (upper == "/?") {
            once(line.m_usage, token);
        } else if (upper.compare(0, 5, "/LOG=") == 0) {
            once(logGiven, "/LOG=");
            line.m_logFile = Unquoted(token.substr(5));
            if (line.m_logFile.empty())
                fail("/LOG= needs a file name.");
        } else {
            fail("Unknown switch: " + token);
        }
    }
    if ((line.m_accept || line.m_restore || logGiven || line.m_folderGiven) && !line.m_silent)
        fail("/ACCEPT, /RESTORE, /LOG= and /D= work only with /S.");
    return line;
}

bool CommandLine::IsEmpty() const {
    return !m_silent && !m_accept && !m_restore && !m_usage && m_logFile.empty() && !m_folderGiven &&
           m_error.empty();
}

std::string CommandLine::Usage(const std::string& programName) {
    const char* name = programName.c_str();
    return FormatText("Usage:\r\n"
                      "  %s /S [/ACCEPT] [/LOG=file] [/D=game folder]\r\n"
                      "      installs with no window and no box; /ACCEPT accepts the licence\r\n"
                      "  %s /S /RESTORE [/LOG=file] [/D=game folder]\r\n"
                      "      puts the original game files back without asking\r\n"
                      "  %s /?\r\n"
                      "      shows this text\r\n"
                      "/D= comes last and takes the rest of the line. Exit codes: 0 done, 1 bad command "
                      "line, 2 no game folder, 3 a file not copied or kept, 4 packing failed, 5 licence not "
                      "accepted, 6 game folder busy, 7 restore incomplete.",
                      name, name, name);
}
