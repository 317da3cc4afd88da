// Random installations, crashes at any disk step, list edits and restores against one promise.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "RecordingOwner.h"
#include "framework/DiskStep.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "install/FileCopier.h"
#include "install/GameBackup.h"
#include "settings/InstallSettings.h"
#include "support/MemoryDisk.h"
#include "support/TempFolder.h"

namespace {
const std::string kList = "KSInstaller Backup\\KSInstaller Backup.txt";
const std::string kArchive = "resource.pff";

// Overlapping names, sub-folders, other scripts, letter case, a short name and our old suffix.
const std::vector<std::string> kNames = {"gui.txt",
                                         "GUI.TXT",
                                         "data\\gui.txt",
                                         "Data Files\\tex.dds",
                                         "~short",
                                         "gui.txt.ks-partial",
                                         "stra\xc3\x9f"
                                         "e.txt",
                                         "strasse.txt",
                                         "\xe6\x97\xa5\xe6\x9c\xac.txt",
                                         "new.txt",
                                         "data\\new.dat",
                                         kArchive};

struct Fault {
    enum Mode { None, Fail, Crash } mode = None;
    int at = 0;        // the disk step it strikes
    double tear = 0;   // how much of a struck write gets to the disk
    bool dead = false; // crashed: nothing more reaches the disk
    bool powerCut = false; // and what was not flushed is lost with the power
} g_fault;

// The memory disk the model runs on, which alone can cut the power.
MemoryDisk* g_memory = nullptr;

DWORD Strike(DiskStep::Kind kind, DWORD size) {
    if (g_fault.dead)
        return 0;
    if (g_fault.mode == Fault::None || --g_fault.at > 0)
        return size;
    g_fault.dead = g_fault.mode == Fault::Crash;
    g_fault.mode = Fault::None;
    return g_fault.dead && kind == DiskStep::Kind::Write ? static_cast<DWORD>(size * g_fault.tear) : 0;
}

enum class Edit { Torn, Blank, Case, CrOnly, Wide, Unknown, Mark, LaterLine, Count };

struct Step {
    enum Kind { Install, EditList, Restore } kind;
    unsigned seed; // everything else the step does
    std::string Describe() const {
        static const char* const kKinds[] = {"install", "edit", "restore"};
        return kKinds[kind] + ("#" + std::to_string(seed));
    }
};

struct Undo {
    Edit edit;
    std::string from, to; // the edited bytes and what they were
};

void Replace(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    if (!from.empty() && at != std::string::npos)
        text.replace(at, from.size(), to);
}

// A list saved as UTF-16 is edited in its own code units, as an editor would.
size_t Unit(const std::string& text) {
    return text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0 ? 2 : 1;
}

// `ascii` spelled in the list's own units and byte order.
std::string InUnits(const std::string& text, const char* ascii) {
    std::string units;
    for (const char* c = ascii; *c; ++c)
        units += Unit(text) == 1     ? std::string(1, *c)
                 : text[0] == '\xFE' ? std::string{'\0', *c}
                                     : std::string{*c, '\0'};
    return units;
}

// `ascii` (spelled in the list's own units) at or after `from`, on a unit's boundary.
size_t FindUnit(const std::string& text, const char* ascii, size_t from) {
    const std::string units = InUnits(text, ascii);
    for (size_t at = from; (at = text.find(units, at)) != std::string::npos; ++at) {
        if (at % Unit(text) == 0)
            return at;
    }
    return std::string::npos;
}

class Model {
public:
    explicit Model(const std::string& root)
        : m_root(root), m_game(root + "\\game"), m_addon(root + "\\addon") {}

    // Empty when the promise held, else what broke.
    // Each block of seeds shares its game folder, which a passing sequence leaves as it found it.
    std::string Run(unsigned seed, const std::vector<Step>& steps) {
        if (m_block != seed >> 8 || !m_clean)
            SetUp(seed >> 8);
        m_clean = false;
        m_undo.clear();
        for (const Step& step : steps) {
            std::mt19937 r(step.seed);
            if (step.kind == Step::Install)
                Install(r);
            else if (step.kind == Step::Restore)
                RestoreOnce(r);
            else
                EditList(r);
            m_steps++;
            if (m_tracing)
                m_trace += step.Describe() + Snapshot();
            std::string broken = Lost();
            if (!broken.empty())
                return step.Describe() + ": " + broken;
        }
        // With the edits undone, one restore gives the folder back as it was.
        std::string list = ReadWholeFile(m_game + "\\" + kList);
        for (auto undo = m_undo.rbegin(); undo != m_undo.rend(); ++undo)
            UndoEdit(*undo, list);
        if (PathExists(m_game + "\\" + kList))
            WriteWholeFile(m_game + "\\" + kList, list);
        GameBackup backup(m_game);
        backup.Load();
        GameBackup::Outcome outcome = backup.Restore(nullptr);
        if (outcome.failed || outcome.missing || outcome.listError ||
            PathExists(m_game + "\\KSInstaller Backup"))
            return "final restore failed at " + outcome.firstFailed + outcome.firstMissing;
        std::map<std::string, bool> seen;
        std::string broken;
        WalkTree(m_game, [&](const std::string& name, const WIN32_FIND_DATAW& at) {
            if (at.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                return;
            auto original = Find(name);
            if (original == m_originals.end())
                broken += " extra " + name;
            else if (ReadWholeFile(m_game + "\\" + name) != original->second)
                broken += " changed " + name;
            else if (!(at.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != !m_readOnly.count(original->first))
                broken += " attributes of " + name;
            seen[original == m_originals.end() ? name : original->first] = true;
        });
        for (const auto& original : m_originals) {
            if (!seen[original.first])
                broken += " missing " + original.first;
        }
        m_clean = broken.empty();
        return m_clean ? "" : "after the final restore:" + broken;
    }

    int m_steps = 0;
    // What the game folder holds after each step, for comparing two disks.
    bool m_tracing = false;
    std::string m_trace;

private:
    std::map<std::string, std::string>::const_iterator Find(const std::string& name) const {
        for (auto at = m_originals.begin(); at != m_originals.end(); ++at) {
            if (CompareStringOrdinal(WideText(at->first).c_str(), -1, WideText(name).c_str(), -1, TRUE) ==
                CSTR_EQUAL)
                return at;
        }
        return m_originals.end();
    }

    void SetUp(unsigned block) {
        m_block = block;
        RemoveTree(m_root);
        DiskStep::On().MakeFolder(WideText(m_root).c_str());
        std::mt19937 random(block);
        for (const char* folder : {"data", "Data Files"})
            WriteWholeFile(m_game + "\\" + folder + "\\keep.me", "folder");
        m_originals.clear();
        m_readOnly.clear();
        for (const std::string& name : kNames) {
            if (name == "GUI.TXT" || name == "~short" || random() % 5 >= 3)
                continue;
            m_originals[name] = WriteWholeFile(m_game + "\\" + name, "original " + name + std::to_string(block));
            // As files copied from a CD are: a restore puts them back read-only.
            if (random() % 4 == 0 &&
                DiskStep::On().SetAttributes(WideText(m_game + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY))
                m_readOnly.insert(name);
        }
        m_originals["data\\keep.me"] = m_originals["Data Files\\keep.me"] = "folder";
        WIN32_FIND_DATAW found = {};
        DiskStep::On().FindEnd(DiskStep::On().FindFirst(WideText(m_game + "\\Data Files").c_str(), &found));
        // Wine resolves its short names on its own drives only, and memory has none; elsewhere the
        // name goes in long.
        m_short = (found.cAlternateFileName[0] ? Utf8Of(found.cAlternateFileName) : "Data Files") + "\\tex.dds";
        wchar_t resolved[MAX_PATH];
        if (!GetLongPathNameW(WideText(m_game + "\\" + m_short.substr(0, m_short.find('\\'))).c_str(),
                              resolved, MAX_PATH))
            m_short = "data files\\tex.dds";
        // The add-on's files once per block: what the promise is about is the game's own.
        for (const std::string& name : kNames)
            WriteWholeFile(m_addon + "\\" + (name == "~short" ? m_short : name),
                  "add-on " + name + std::to_string(block));
    }

    // Each name as the file system compares names, with the file's bytes: a name's letter case
    // differs between systems when a move replaces a file.
    std::string Snapshot() const {
        std::map<std::string, std::string> entries;
        WalkTree(m_game, [&](const std::string& name, const WIN32_FIND_DATAW& at) {
            entries[Utf8Of(MemoryDisk::Key(WideText(name).c_str()).c_str())] =
                at.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "/" : ReadWholeFile(m_game + "\\" + name);
        });
        std::string text;
        for (const auto& entry : entries)
            text += " " + entry.first + "=" + entry.second;
        return text + "\n";
    }

    // Every game file there before the first installation has its bytes in place or kept.
    std::string Lost() const {
        for (const auto& original : m_originals) {
            if (ReadWholeFile(m_game + "\\" + original.first) != original.second &&
                ReadWholeFile(m_game + "\\KSInstaller Backup\\" + original.first) != original.second)
                return "lost " + original.first;
        }
        return "";
    }

    void Arm(std::mt19937& r) {
        g_fault = Fault();
        int mode = static_cast<int>(r() % 10);
        g_fault.mode = mode < 4 ? Fault::None : mode < 8 ? Fault::Crash : Fault::Fail;
        g_fault.at = 1 + static_cast<int>(r() % 40);
        g_fault.tear = (r() % 100) / 100.0;
        g_fault.powerCut = r() % 2 && g_memory;
        // What the game and the editor wrote before has long reached the disk.
        if (g_memory)
            g_memory->Settle();
    }

    static void Disarm() {
        if (g_fault.dead && g_fault.powerCut)
            g_memory->PowerCut();
        g_fault = Fault();
    }

    void Install(std::mt19937& r) {
        RecordingOwner owner;
        InstallSettings settings;
        settings.m_programDir = m_addon;
        std::string ini = "[installer]\r\n";
        int count = 0;
        for (const std::string& name : kNames) {
            if (name == kArchive || r() % 4)
                continue;
            std::string listed = name == "~short" ? m_short : name;
            ini += "copy_file_" + std::to_string(++count) + "=" + listed + "\r\n";
        }
        settings.m_iniPath = m_addon + "\\install.ini";
        WriteWholeFile(settings.m_iniPath, ini);
        const bool pack = r() % 2;
        Arm(r);
        FileCopier(settings, owner).CopyListedFiles(m_game);
        // The archive is kept before the tool writes into it in place.
        if (pack && GameBackup(m_game).Keep(kArchive, nullptr) == ERROR_SUCCESS && !g_fault.dead &&
            PathExists(m_game + "\\" + kArchive)) {
            std::string packed = ReadWholeFile(m_game + "\\" + kArchive) + " packed";
            WriteWholeFile(m_game + "\\" + kArchive, packed);
        }
        Disarm();
    }

    void RestoreOnce(std::mt19937& r) {
        struct Stop : FileTransfer::Progress {
            int left;
            bool OnCopied(ULONGLONG, ULONGLONG) override { return --left != 0; }
        } stop;
        stop.left = static_cast<int>(r() % 6);
        Arm(r);
        GameBackup backup(m_game);
        backup.Load();
        backup.Restore(&stop);
        Disarm();
    }

    void EditList(std::mt19937& r) {
        const std::string path = m_game + "\\" + kList;
        if (!PathExists(path))
            return;
        std::string text = ReadWholeFile(path);
        std::vector<std::string> lines;
        // Each line with its own end, as the installer reads them: an edit of one line is undone
        // whatever became of the others. A byte-order mark is no part of the first line.
        for (size_t at = text.compare(0, 3, "\xEF\xBB\xBF") ? 0 : 3, end;
             Unit(text) == 1 && (end = text.find_first_of("\r\n", at)) != std::string::npos;) {
            const size_t next = end + (text.compare(end, 2, "\r\n") ? 1 : 2);
            lines.push_back(text.substr(at, next - at));
            at = next;
        }
        const std::string line = lines.empty() ? "" : lines[r() % lines.size()];
        const bool ended = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
        Undo undo{static_cast<Edit>(r() % static_cast<unsigned>(Edit::Count)), "", ""};
        switch (undo.edit) {
        case Edit::Torn: {
            // A crash or an editor cut the last line anywhere: inside a character, or just its end.
            if (!ended || lines.empty())
                return;
            const size_t start = std::max<size_t>(text.find_last_of("\r\n", text.size() - 3) + 1,
                                                  text.compare(0, 3, "\xEF\xBB\xBF") ? 0 : 3);
            undo.to = text.substr(start);
            undo.from = undo.to.substr(0, 1 + r() % (undo.to.size() - 2));
            text.resize(start + undo.from.size());
            break;
        }
        case Edit::Blank:
        case Edit::Case:
        case Edit::Unknown:
            if (line.empty())
                return;
            undo.to = line;
            undo.from = undo.edit == Edit::Blank  ? line.substr(0, line.find_first_of("\r\n")) + " " +
                                                       line.substr(line.find_first_of("\r\n"))
                        : undo.edit == Edit::Case ? (r() % 2 ? "K" : "KEPT") + line.substr(r() % 2 ? 1 : 4)
                                                  : "retained" + line.substr(line.find(' '));
            Replace(text, undo.to, undo.from);
            break;
        case Edit::CrOnly: {
            const size_t unit = Unit(text);
            for (size_t at = 0; (at = FindUnit(text, "\r\n", at)) != std::string::npos;)
                text.erase(at + unit, unit);
            break;
        }
        case Edit::Wide: {
            // Either byte order, as editors offer both.
            if (Unit(text) == 2 || !IsUtf8(text.data(), text.size()))
                return;
            const WideText wide(text);
            const bool big = r() % 2;
            text = big ? "\xFE\xFF" : "\xFF\xFE";
            for (int at = 0; at < wide.Length(); ++at) {
                const char low = static_cast<char>(wide.c_str()[at]),
                           high = static_cast<char>(wide.c_str()[at] >> 8);
                text += big ? std::string{high, low} : std::string{low, high};
            }
            break;
        }
        case Edit::Mark:
            // No editor marks a UTF-16 text as UTF-8 as well.
            if (text.compare(0, 3, "\xEF\xBB\xBF") == 0 || Unit(text) == 2)
                return;
            text = "\xEF\xBB\xBF" + text;
            break;
        case Edit::LaterLine:
            if (!ended && !text.empty())
                return;
            undo.from = "moved " + kNames[r() % kNames.size()] + "\r\n";
            text += undo.from;
            break;
        default:
            return;
        }
        WriteWholeFile(path, text);
        m_undo.push_back(undo);
    }

    static void UndoEdit(const Undo& undo, std::string& text) {
        switch (undo.edit) {
        case Edit::Torn:
            if (text.size() >= undo.from.size() &&
                text.compare(text.size() - undo.from.size(), undo.from.size(), undo.from) == 0)
                text.replace(text.size() - undo.from.size(), undo.from.size(), undo.to);
            break;
        case Edit::CrOnly: {
            const size_t unit = Unit(text);
            for (size_t at = 0; (at = FindUnit(text, "\r", at)) != std::string::npos; at += 2 * unit) {
                if (FindUnit(text, "\r\n", at) != at)
                    text.insert(at + unit, InUnits(text, "\n"));
            }
            break;
        }
        case Edit::Wide:
            if (Unit(text) == 2)
                text = Utf8FromUtf16(text.data() + 2, text.size() - 2, text[0] == '\xFE');
            break;
        case Edit::Mark:
            if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
                text.erase(0, 3);
            break;
        default:
            Replace(text, undo.from, undo.to);
        }
    }

    std::string m_root, m_game, m_addon, m_short;
    unsigned m_block = 0;
    bool m_clean = false;
    std::map<std::string, std::string> m_originals;
    std::set<std::string> m_readOnly;
    std::vector<Undo> m_undo;
};

std::vector<Step> Generate(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Step> steps(2 + random() % 4);
    for (Step& step : steps)
        step = {static_cast<Step::Kind>(random() % 10 < 5 ? 0
                                        : random() % 2    ? 1
                                                          : 2),
                static_cast<unsigned>(random())};
    return steps;
}

// A RAM-backed scratch folder where there is one, so flushes cost nothing.
std::string ScratchRoot(const TempFolder& fallback) {
    DWORD attributes = GetFileAttributesA("Z:\\dev\\shm");
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fallback / "model";
    return "Z:\\dev\\shm\\ks-model-" + std::to_string(GetCurrentProcessId());
}

// Runs `sequences` from `seed` on until `deadline`; on a failure, shrinks it to its shortest
// sequence and reports that. Returns how many ran.
int Explore(Model& model, unsigned seed, int sequences, ULONGLONG deadline, bool& lost) {
    std::string failure;
    unsigned failed = 0;
    std::vector<Step> steps;
    int ran = 0;
    for (; ran < sequences && failure.empty() && GetTickCount64() < deadline; ++ran) {
        failed = seed + static_cast<unsigned>(ran);
        steps = Generate(failed);
        failure = model.Run(failed, steps);
    }
    lost = !failure.empty();
    if (!lost)
        return ran;
    // Shrunk: each step that the failure does without goes.
    for (size_t i = 0; i < steps.size();) {
        std::vector<Step> fewer = steps;
        fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
        std::string still = model.Run(failed, fewer);
        if (still.empty()) {
            ++i;
            continue;
        }
        steps = fewer;
        failure = still;
    }
    std::string sequence;
    for (const Step& step : steps)
        sequence += " " + step.Describe();
    ADD_FAILURE() << "seed " << failed << " (KS_MODEL_SEED=" << failed << "), shortest sequence:" << sequence
                  << ": " << failure;
    return ran;
}

// The file work's calls answered by `files` while it lives; null: the system's files.
struct Serving {
    explicit Serving(DiskStep::Files* files) { DiskStep::s_files = files; }
    ~Serving() { DiskStep::s_files = nullptr; }
};
} // namespace

TEST(BackupModel, NoSequenceOfInstallsCrashesEditsAndRestoresLosesAnOriginal) {
    // In memory: what is tested is the order of the file work's steps, and under Wine each of the
    // system's calls is a round trip to another process. KS_MODEL_DISK runs it on the system's files.
    TempFolder temp;
    MemoryDisk memory(temp / "memory");
    const bool onFiles = getenv("KS_MODEL_DISK") != nullptr;
    Serving serving(onFiles ? nullptr : &memory);
    g_memory = onFiles ? nullptr : &memory;
    const std::string root = onFiles ? ScratchRoot(temp) : temp / "memory\\model";
    const char* replay = getenv("KS_MODEL_SEED");
    const char* soak = getenv("KS_MODEL_SOAK");
    // A fixed seed by default, so that every run of the suite tries the same sequences; a soak starts
    // from the clock.
    const unsigned seed =
        replay ? static_cast<unsigned>(strtoul(replay, nullptr, 10))
        : soak ? static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())
               : 1u;
    const int sequences = replay ? 1 : soak ? atoi(soak) : 2000;
    DiskStep::s_hook = &Strike;
    Model model(root);
    // A machine shared with other work may be far slower: the run stops in time, and says how many.
    const char* seconds = getenv("KS_MODEL_SECONDS");
    const ULONGLONG deadline = GetTickCount64() + (soak ? ~0ull >> 1 : seconds ? 1000ull * atoi(seconds) : 60000);
    bool lost = false;
    const int ran = Explore(model, seed, sequences, deadline, lost);
    DiskStep::s_hook = nullptr;
    g_memory = nullptr;
    RemoveTree(root);
    printf("backup model: %d sequences, %d steps, seed %u, %d originals lost\n", ran, model.m_steps, seed,
           lost ? 1 : 0);
}

// The memory answers as the system's files do: the first sequences leave the same files after each
// step on both.
TEST(BackupModel, MemoryAndTheSystemsFilesLeaveTheSameFilesAfterEveryStep) {
    TempFolder temp;
    MemoryDisk memory(temp / "memory");
    DiskStep::s_hook = &Strike;
    Model inMemory(temp / "memory\\model"), onFiles(ScratchRoot(temp));
    inMemory.m_tracing = onFiles.m_tracing = true;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        const std::vector<Step> steps = Generate(seed);
        inMemory.m_trace.clear();
        onFiles.m_trace.clear();
        std::string memoryFailure;
        {
            Serving serving(&memory);
            memoryFailure = inMemory.Run(seed, steps);
        }
        const std::string filesFailure = onFiles.Run(seed, steps);
        EXPECT_EQ(memoryFailure, filesFailure) << "seed " << seed;
        if (inMemory.m_trace != onFiles.m_trace) {
            ADD_FAILURE() << "seed " << seed << ": in memory\n" << inMemory.m_trace << "on the files\n"
                          << onFiles.m_trace;
            break;
        }
    }
    DiskStep::s_hook = nullptr;
    RemoveTree(ScratchRoot(temp));
}
