// Start-up settings that keep DLLs planted beside the program from being loaded.
#include "framework/ProcessHardening.h"

#include <windows.h>

namespace {

// Each call exists only from some Windows version on; looked up so the program still starts without it.
template <typename Function> Function KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}

} // namespace

void HardenProcess() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
    using SetProcessDEPPolicyFn = BOOL(WINAPI*)(DWORD);

    // Bare DLL names then resolve in System32 only, never the program's folder.
    if (auto setDefault = KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories"))
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The empty string takes the current directory out of the search where the call above is missing.
    SetDllDirectoryW(L"");
    if (auto setSearchMode = KernelFunction<SetSearchPathModeFn>("SetSearchPathMode"))
        setSearchMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
    // Only 32-bit processes can choose; 64-bit ones always run with DEP.
    if (auto setDep = KernelFunction<SetProcessDEPPolicyFn>("SetProcessDEPPolicy"))
        setDep(PROCESS_DEP_ENABLE);
}
