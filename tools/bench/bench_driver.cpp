// Measures the installer from outside under the same Wine: start-up, result delay, processor time.
// Not a test: ./run bench prints what it finds and asserts nothing.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "AddonLayout.h"
#include "Driver.h"
#include "framework/Application.h"
#include "install/GameBackup.h"
#include "install/GameFolderLock.h"
#include "support/TempFolder.h"

namespace {
constexpr int kInstallButton = 1003;
constexpr DWORD kWaitMs = 20000;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct WindowSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (search->caption && Driver::Text(window) != search->caption)
        return TRUE;
    search->found = window;
    return FALSE;
}

// Polls every millisecond: the 20 ms steps of the test driver would blur the figures.
HWND WaitForVisibleWindow(const Driver& driver, const char* caption) {
    for (double start = NowMs(); NowMs() - start < kWaitMs; Sleep(1)) {
        WindowSearch search{driver.ProcessId(), caption, nullptr};
        EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (driver.HasExited())
            return nullptr;
    }
    return nullptr;
}

// Milliseconds from process creation to its first visible window, or a negative number.
double TimeToWindow(const std::string& exe, const std::string& folder) {
    Driver driver;
    double start = NowMs();
    if (!driver.Start(exe, folder))
        return -1;
    HWND window = WaitForVisibleWindow(driver, nullptr);
    double elapsed = NowMs() - start;
    if (!window)
        return -1;
    Driver::Click(window, IDOK);
    driver.WaitForExit();
    return elapsed;
}

void Startup(const std::string& minimalExe, int runs) {
    AddonLayout layout;
    layout.Game().WriteFile("resource.pff", "destination");
    layout.RegisterGame("KS2", layout.GameDir());
    layout.WriteIni(
        "dialog_title=Bench\r\nks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n");
    TempFolder minimalFolder;
    std::string minimal = minimalFolder / "minimal_dialog.exe";
    if (!CopyFileA(minimalExe.c_str(), minimal.c_str(), FALSE)) {
        std::printf("start-up: minimal dialog exe not found: %s\n", minimalExe.c_str());
        return;
    }
    // One of each first, so neither pays for a cold disk cache alone.
    TimeToWindow(layout.Exe(), layout.ProgramDir());
    TimeToWindow(minimal, minimalFolder.Path());
    std::vector<double> installer;
    std::vector<double> yardstick;
    for (int i = 0; i < runs; ++i) {
        double a = TimeToWindow(layout.Exe(), layout.ProgramDir());
        double b = TimeToWindow(minimal, minimalFolder.Path());
        if (a < 0 || b < 0) {
            std::printf("start-up: run %d showed no window\n", i + 1);
            return;
        }
        installer.push_back(a);
        yardstick.push_back(b);
    }
    double ratio = Median(installer) / Median(yardstick);
    std::printf(
        "start-up to main window, median of %d: installer %.1f ms, minimal dialog %.1f ms, ratio %.2f "
        "(goal <= 1.2)\n",
        runs, Median(installer), Median(yardstick), ratio);
}

// The stand-in pack tool's process once the installer's batch file has started it.
HANDLE WaitForPackProcess() {
    for (double start = NowMs(); NowMs() - start < kWaitMs; Sleep(1)) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return nullptr;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        DWORD found = 0;
        for (BOOL more = Process32First(snapshot, &entry); more && !found;
             more = Process32Next(snapshot, &entry)) {
            if (_stricmp(entry.szExeFile, "pack.exe") == 0)
                found = entry.th32ProcessID;
        }
        CloseHandle(snapshot);
        if (found)
            return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, found);
    }
    return nullptr;
}

// A game with the stand-in tool in the given mode and an add-on that packs one archive into it.
struct PackLayout {
    // Its own name, so the result box is told apart from notices captioned "KSInstaller".
    AddonLayout layout{"BenchSetup.exe"};

    PackLayout(const std::string& packExe, const std::string& mode) {
        layout.Game().WriteFile("resource.pff", "destination archive");
        layout.Game().WriteFile("pack-mode.txt", mode + "\r\n");
        CopyFileA(packExe.c_str(), (layout.Game() / "pack.exe").c_str(), FALSE);
        layout.Program().WriteFile("newgui.pff", "source archive");
        layout.RegisterGame("KS2", layout.GameDir());
        layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n");
    }
};

struct PackRun {
    double resultDelayMs = -1; // from the tool's exit to the result box
    double packWallMs = 0;     // from the tool's start to its exit
    double installerCpuMs = 0; // installer's processor time over the same span
    SIZE_T peakWorkingSet = 0;
    std::string problem;
};

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

PackRun RunPack(const std::string& packExe, const std::string& mode) {
    PackRun run;
    PackLayout pack(packExe, mode);
    Driver driver;
    if (!driver.Start(pack.layout.Exe(), pack.layout.ProgramDir())) {
        run.problem = "installer did not start";
        return run;
    }
    HWND window = driver.WaitForMainWindow();
    if (!window) {
        run.problem = "no main window";
        return run;
    }
    Driver::Click(window, kInstallButton);
    HANDLE tool = WaitForPackProcess();
    if (!tool) {
        run.problem = "the pack tool never started";
        return run;
    }
    double toolSeen = NowMs();
    double cpuBefore = CpuMs(driver.Process());
    WaitForSingleObject(tool, kWaitMs);
    double toolGone = NowMs();
    double cpuAfter = CpuMs(driver.Process());
    CloseHandle(tool);
    std::string caption = BaseNameOf(pack.layout.Exe());
    HWND box = WaitForVisibleWindow(driver, caption.c_str());
    double boxSeen = NowMs();
    if (!box || Driver::BoxText(box) != "Install done.") {
        run.problem = box ? "result box says: " + Driver::BoxText(box) : "no result box";
        return run;
    }
    run.resultDelayMs = boxSeen - toolGone;
    run.packWallMs = toolGone - toolSeen;
    run.installerCpuMs = cpuAfter - cpuBefore;
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(driver.Process(), &memory, sizeof memory))
        run.peakWorkingSet = memory.PeakWorkingSetSize;
    Driver::Dismiss(box, IDOK);
    Driver::Click(window, IDOK);
    driver.WaitForExit();
    return run;
}

void ResultDelay(const std::string& packExe, int runs) {
    std::vector<double> delays;
    for (int i = 0; i < runs; ++i) {
        // A second of work, so the tool is seen running before it exits.
        PackRun run = RunPack(packExe, "slow 1");
        if (!run.problem.empty()) {
            std::printf("pack tool exit to result box: run %d failed: %s\n", i + 1, run.problem.c_str());
            return;
        }
        delays.push_back(run.resultDelayMs);
    }
    std::printf("pack tool exit to result box, median of %d: %.1f ms (goal <= 20 ms; min %.1f, max %.1f)\n",
                runs, Median(delays), *std::min_element(delays.begin(), delays.end()),
                *std::max_element(delays.begin(), delays.end()));
}

void ProcessorTime(const std::string& packExe) {
    PackRun run = RunPack(packExe, "slow 10");
    if (!run.problem.empty()) {
        std::printf("processor time during a 10 s pack run: failed: %s\n", run.problem.c_str());
        return;
    }
    // Wine takes process times from the kernel's 10 ms ticks: 0.0 means less than one tick.
    std::printf("processor time during a %.1f s pack run: %.1f ms, %.2f %% of one core (goal < 1 %%; counted "
                "in 10 ms ticks)\n",
                run.packWallMs / 1000, run.installerCpuMs, 100.0 * run.installerCpuMs / run.packWallMs);
    std::printf("peak working set of the installer: %lu KB\n",
                static_cast<unsigned long>(run.peakWorkingSet / 1024));
}
// The longest a question to the window waits while a 300 MB file is copied into the game.
void CopySilence(const std::string& packExe) {
    PackLayout pack(packExe, "ok");
    pack.layout.WriteIni("ks_version=KS2\r\nsource_pff=newgui.pff\r\ndestination_pff=resource.pff\r\n"
                         "copy_file_1=big.bin\r\n");
    {
        HANDLE file = CreateFileA((pack.layout.Program() / "big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 300LL << 20;
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    Driver driver;
    HWND window =
        driver.Start(pack.layout.Exe(), pack.layout.ProgramDir()) ? driver.WaitForMainWindow() : nullptr;
    if (!window) {
        std::printf("window silence during a 300 MB copy: no main window\n");
        return;
    }
    Driver::Click(window, kInstallButton);
    double longest = 0, longestLaunch = 0;
    int probes = 0;
    double start = NowMs(), copyEnd = 0;
    // From the copy's first status to the moment the whole file stands in the game folder; then
    // keeping the small archive and the shell call that starts the tool, until the result box.
    std::string copied = pack.layout.Game() / "big.bin";
    const std::string caption = BaseNameOf(pack.layout.Exe());
    HWND box = nullptr;
    for (bool copying = false; !box && NowMs() - start < kWaitMs; Sleep(1)) {
        double asked = NowMs();
        DWORD_PTR ignored;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &ignored);
        double waited = NowMs() - asked;
        if (copyEnd > 0) {
            longestLaunch = std::max(longestLaunch, waited);
            WindowSearch search{driver.ProcessId(), caption.c_str(), nullptr};
            EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
            box = search.found;
            continue;
        }
        copying = copying || Driver::ItemText(window, 1009).rfind("Copying", 0) == 0;
        if (copying) {
            longest = std::max(longest, waited);
            ++probes;
        }
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (copying && GetFileAttributesExA(copied.c_str(), GetFileExInfoStandard, &data) &&
            data.nFileSizeHigh == 0 && data.nFileSizeLow == 300u << 20)
            copyEnd = NowMs();
    }
    std::printf("longest the window did not answer during a 300 MB copy (%.0f ms, %d probes): %.1f ms "
                "(goal < 250 ms)\n",
                (copyEnd > 0 ? copyEnd : NowMs()) - start, probes, longest);
    // The tests allow this one gap 2 s, where the copies are allowed 250 ms.
    std::printf("longest it did not answer from then to the result box (the pack tool is started on the "
                "window's thread): %.1f ms%s\n",
                longestLaunch, box ? "" : " (no result box)");
    if (box)
        Driver::Dismiss(box, IDOK);
    Driver::Click(window, IDOK);
    driver.WaitForExit();
}

// A copy of the file that is on disk when it returns.
double DurableCopyMs(const std::string& from, const std::string& to) {
    double start = NowMs();
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        return -1;
    UniqueFileHandle copy(CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!copy || !FlushFileBuffers(copy.get()))
        return -1;
    return NowMs() - start;
}

// What keeping a game archive adds to the first installation, and what putting it back costs, each
// against a durable plain copy of the same archive in the same run: the copy and its flush, since
// keeping must have its copy on disk before the game file may change.
void Backup(int runs) {
    constexpr DWORD kArchiveMb = 200;
    std::vector<double> copies, keeps, restores;
    std::vector<char> piece(1 << 20);
    for (size_t i = 0; i < piece.size(); ++i)
        piece[i] = static_cast<char>(i * 7919 >> 3);
    for (int run = 0; run < runs; ++run) {
        TempFolder game;
        const std::string archive = game / "resource.pff";
        {
            UniqueFileHandle file(
                CreateFileA(archive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            DWORD written = 0;
            for (DWORD mb = 0; mb < kArchiveMb; ++mb)
                WriteFile(file.get(), piece.data(), DWORD(piece.size()), &written, nullptr);
            // A game's archive has long been on disk: its own writing must not compete with the
            // flush that keeping it takes.
            FlushFileBuffers(file.get());
        }
        GameBackup backup(game.Path());
        DWORD kept = ERROR_SUCCESS;
        auto keep = [&] {
            double start = NowMs();
            kept = backup.Keep("resource.pff", nullptr);
            keeps.push_back(NowMs() - start);
        };
        // Each goes first in every other run, so neither has the disk's quieter moment to itself.
        if (run % 2)
            keep();
        copies.push_back(DurableCopyMs(archive, game / "plain.pff"));
        DeleteFileA((game / "plain.pff").c_str());
        if (run % 2 == 0)
            keep();
        backup.Load();
        double start = NowMs();
        int failed = backup.Restore(nullptr).failed;
        restores.push_back(NowMs() - start);
        if (copies.back() < 0 || kept != ERROR_SUCCESS || failed) {
            std::printf("keeping a %lu MB archive: run %d failed\n", kArchiveMb, run + 1);
            return;
        }
    }
    double copy = Median(copies);
    std::printf("durable plain copy (copy and flush) of a %lu MB game archive, median of %d: %.0f ms\n",
                kArchiveMb, runs, copy);
    std::printf("first installation's extra time (keeping that archive): %.0f ms = %.2f x the durable copy "
                "(goal <= 1.1)\n",
                Median(keeps), Median(keeps) / copy);
    std::printf("restore of that archive: %.0f ms = %.2f x the durable copy\n", Median(restores),
                Median(restores) / copy);

    // What one installation or restore adds by taking the game folder's lock and letting it go.
    TempFolder game;
    constexpr int kLocks = 1000;
    std::vector<double> locks;
    for (int i = 0; i < kLocks; ++i) {
        GameFolderLock lock;
        double start = NowMs();
        bool taken = lock.TryAcquire(game.Path().c_str());
        lock.Release();
        locks.push_back(NowMs() - start);
        if (!taken) {
            std::printf("game folder lock: not taken at try %d\n", i + 1);
            return;
        }
    }
    double lockMs = Median(locks);
    std::printf(
        "taking and releasing the game folder's lock, median of %d: %.3f ms = %.4f %% of keeping that "
        "archive (max %.3f ms)\n",
        kLocks, lockMs, 100.0 * lockMs / Median(keeps), *std::max_element(locks.begin(), locks.end()));
}
} // namespace

// bench_driver startup MINIMAL_EXE RUNS | resultdelay PACK_EXE RUNS | cpu PACK_EXE | copy PACK_EXE | backup
// RUNS
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string command = argc > 1 ? argv[1] : "";
    std::string path = argc > 2 ? argv[2] : "";
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
    if (command == "startup")
        Startup(path, runs);
    else if (command == "resultdelay")
        ResultDelay(path, runs);
    else if (command == "cpu")
        ProcessorTime(path);
    else if (command == "copy")
        CopySilence(path);
    else if (command == "backup")
        Backup(std::max(1, std::atoi(path.c_str())));
    else {
        std::printf(
            "usage: bench_driver startup MINIMAL_EXE [RUNS] | resultdelay PACK_EXE [RUNS] | cpu PACK_EXE | "
            "copy PACK_EXE | backup RUNS\n");
        return 2;
    }
    return 0;
}
