// The browse dialog's class record and the parameter record it hands to the Open dialog.
#include <gtest/gtest.h>

#include <cstring>

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
    EXPECT_EQ(std::memcmp(filtered.m_ofn.lpstrFilter, "Archives\0*.pff\0All\0*.*\0\0", 24), 0);
    EXPECT_STREQ(filtered.m_ofn.lpstrDefExt, "pff");
}
