// The browse dialog's class record and the parameter record it hands to the Open dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "folders/CFindFolder.h"

TEST(FindFolder, IsAFileDialogKnownByNameThatCannotBeCreatedFromIt) {
    CFindFolder dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr);
    EXPECT_STREQ(dialog.GetRuntimeClass()->m_className, "CFindFolder");
    EXPECT_TRUE(dialog.IsKindOf(&CFindFolder::kRuntimeClass));
    EXPECT_TRUE(dialog.IsKindOf(&FileDialog::kRuntimeClass));
    EXPECT_EQ(RuntimeClass::FromName("CFindFolder"), &CFindFolder::kRuntimeClass);
    EXPECT_EQ(CFindFolder::kRuntimeClass.m_schema, 0xFFFFu);
    EXPECT_EQ(RuntimeClass::CreateObject("CFindFolder"), nullptr);
    static_assert(sizeof(CFindFolder) == sizeof(FileDialog), "the browse dialog adds no state of its own");
}

TEST(FindFolder, LongInitialNameIsCutToTheBufferAndTheDialogIsExplorerStyle) {
    std::string longName(300, 'a');
    CFindFolder dialog(TRUE, nullptr, longName.c_str(), OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, nullptr,
                       nullptr);
    EXPECT_EQ(dialog.GetPathName(), std::string(259, 'a'));
    EXPECT_EQ(dialog.m_ofn.nMaxFile, 260u);
    const DWORD wanted =
        OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER;
    EXPECT_EQ(dialog.m_ofn.Flags, wanted);
    EXPECT_EQ(dialog.m_ofn.lpstrFilter, nullptr);

    FileDialog filtered(TRUE, "pff", "", 0, "Archives|*.pff|All|*.*", nullptr);
    EXPECT_EQ(std::wmemcmp(filtered.m_ofn.lpstrFilter, L"Archives\0*.pff\0All\0*.*\0\0", 24), 0);
    EXPECT_STREQ(filtered.m_ofn.lpstrDefExt, L"pff");

    // The buffer holds 259 characters, however many bytes each takes in UTF-8.
    std::string cyrillic;
    for (int i = 0; i < 300; ++i)
        cyrillic += "\xD0\x96";
    CFindFolder wide(TRUE, nullptr, cyrillic.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(wide.GetPathName(), cyrillic.substr(0, 259 * 2));
}

namespace {
struct DirectoryMover {
    std::string elsewhere;
    HWND dialog = nullptr;
};

BOOL CALLBACK FindOpenDialog(HWND window, LPARAM parameter) {
    auto* mover = reinterpret_cast<DirectoryMover*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16];
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        GetClassNameA(window, className, sizeof className) && std::strcmp(className, "#32770") == 0) {
        mover->dialog = window;
        return FALSE;
    }
    return TRUE;
}

// Plays the part of a system whose Open dialog moves the current directory, then cancels it.
DWORD WINAPI MoveDirectoryThenCancel(void* parameter) {
    auto* mover = static_cast<DirectoryMover*>(parameter);
    for (DWORD start = GetTickCount(); !mover->dialog && GetTickCount() - start < 10000; Sleep(20))
        EnumWindows(FindOpenDialog, reinterpret_cast<LPARAM>(mover));
    SetCurrentDirectoryA(mover->elsewhere.c_str());
    if (mover->dialog)
        PostMessageA(mover->dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}
} // namespace

TEST(FindFolder, CurrentDirectoryMovedWhileTheDialogIsOpenIsPutBack) {
    char before[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, before), 0u);
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    DirectoryMover mover{system};
    HANDLE thread = CreateThread(nullptr, 0, MoveDirectoryThenCancel, &mover, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // Without OFN_NOCHANGEDIR, which Windows ignores for the Open dialog and Wine honours.
    CFindFolder dialog(TRUE, nullptr, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    ASSERT_NE(mover.dialog, nullptr);
    char after[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}
