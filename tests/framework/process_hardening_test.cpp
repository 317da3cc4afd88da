// Planted DLLs: after hardening, bare names no longer reach the program's folder or the current one.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/ProcessHardening.h"
#include "support/TempFolder.h"

namespace {
std::string PlantedDllBesideTheTests() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length < MAX_PATH ? length : 0);
    return exe.substr(0, exe.find_last_of('\\') + 1) + "ks_planted.dll";
}

// Loads and unloads again, so a later load by name is a fresh search and not the loaded module.
bool LoadsByName(const char* name) {
    HMODULE module = LoadLibraryA(name);
    if (!module)
        return false;
    FreeLibrary(module);
    return true;
}
} // namespace

TEST(ProcessHardening, DllsInTheProgramFolderAndCurrentDirectoryAreNoLongerLoadedByName) {
    TempFolder current;
    std::string copy = current / "ks_planted_cwd.dll";
    ASSERT_TRUE(CopyFileA(PlantedDllBesideTheTests().c_str(), copy.c_str(), FALSE));
    char previous[MAX_PATH];
    DWORD previousLength = GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(previousLength > 0 && previousLength < MAX_PATH);
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));

    // Without hardening both are found: the test would notice a hardening that does nothing.
    EXPECT_TRUE(LoadsByName("ks_planted.dll"));
    EXPECT_TRUE(LoadsByName("ks_planted_cwd.dll"));

    HardenProcess();
    EXPECT_FALSE(LoadsByName("ks_planted.dll"));
    EXPECT_FALSE(LoadsByName("ks_planted_cwd.dll"));
    // System DLLs still load by name, and an explicit full path is still honoured.
    EXPECT_TRUE(LoadsByName("version.dll"));
    EXPECT_TRUE(LoadsByName(PlantedDllBesideTheTests().c_str()));

    SetCurrentDirectoryA(previous);
}
