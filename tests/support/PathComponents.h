// The parts of a Windows path between its backslashes, empty ones included.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> PathComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (std::string::size_type end; (end = path.find('\\', start)) != std::string::npos; start = end + 1)
        parts.push_back(path.substr(start, end - start));
    parts.push_back(path.substr(start));
    return parts;
}
