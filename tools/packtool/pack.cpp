// Stands in for the game's pack.exe: records its arguments and answers as pack-mode.txt says.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Wide, so the tool finds its files in a folder named in any script, as the real tool does through
// the short names it is given.
std::wstring NextToMe(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return name;
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

// First line of pack-mode.txt, without its line end; empty when there is none.
std::string ReadMode() {
    std::string mode;
    if (FILE* file = _wfopen(NextToMe(L"pack-mode.txt").c_str(), L"r")) {
        char line[256];
        if (std::fgets(line, sizeof line, file))
            mode = line;
        std::fclose(file);
    }
    while (!mode.empty() && (mode.back() == '\n' || mode.back() == '\r' || mode.back() == ' '))
        mode.pop_back();
    return mode;
}

// The number after the mode's word, as in "slow 2".
long Number(const std::string& mode) {
    std::string::size_type blank = mode.find(' ');
    return blank == std::string::npos ? 0 : std::strtol(mode.c_str() + blank + 1, nullptr, 10);
}

bool Is(const std::string& mode, const char* word) {
    return mode.compare(0, mode.find(' '), word) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (FILE* args = _wfopen(NextToMe(L"pack-args.txt").c_str(), L"w")) {
        for (int i = 1; i < argc; ++i)
            std::fprintf(args, "%s\n", argv[i]);
        std::fclose(args);
    }
    std::string mode = ReadMode();
    if (mode.empty())
        mode = "ok";
    if (Is(mode, "exit"))
        return 3;
    if (Is(mode, "silent"))
        return 0;
    if (Is(mode, "lines")) {
        for (long i = 1; i <= Number(mode); ++i)
            std::printf("line %ld: OK\n", i);
        return 0;
    }
    if (Is(mode, "slow"))
        Sleep(static_cast<DWORD>(Number(mode)) * 1000);
    std::vector<std::string> sources;
    for (int i = 2; i < argc; ++i) {
        if (argv[i][0] != '/')
            sources.push_back(argv[i]);
    }
    bool fail = Is(mode, "fail");
    size_t width = Is(mode, "width") ? static_cast<size_t>(Number(mode)) : 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        std::string name = sources[i];
        if (name.size() < width)
            name.append(width - name.size(), 'x');
        bool failed = fail && i + 1 == sources.size();
        std::printf("%s: %s\n", name.c_str(), failed ? "FAILED" : "OK");
    }
    // The real tool rewrites its destination archive; so does this one, visibly.
    if (!fail && argc > 1) {
        if (FILE* destination = std::fopen(argv[1], "ab")) {
            for (const std::string& source : sources)
                std::fprintf(destination, "packed %s\r\n", source.c_str());
            std::fclose(destination);
        }
    }
    return fail ? 1 : 0;
}
