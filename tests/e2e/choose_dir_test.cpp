// The folder chooser through ChooseDir.exe: listing, navigation by double click, OK and Cancel.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "framework/WideText.h"
#include "Driver.h"
#include "ListViewProbe.h"
#include "support/PathComponents.h"
#include "support/TempFolder.h"

namespace {
constexpr int kFolderList = 1006;
constexpr int kDirectoryName = 1007;
constexpr int kClosed = 0;
constexpr int kOpen = 1;

// One run of the chooser on a folder, its standard output caught in a file.
class ChooserRun {
public:
    explicit ChooserRun(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        m_outputPath = m_scratch / "stdout.txt";
        m_output.reset(CreateFileA(m_outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_output &&
            m_driver.Start(WindowsPath(KS_CHOOSE_DIR_EXE), m_scratch.Path(), arguments, m_output.get()))
            m_dialog = m_driver.WaitForDialog("Choose Directory");
        m_output.reset();
        if (m_dialog)
            m_list.emplace(m_driver.Process(), GetDlgItem(m_dialog, kFolderList));
    }

    HWND Dialog() const { return m_dialog; }
    const ListViewProbe& List() const { return *m_list; }
    std::string DirectoryName() const { return Driver::ItemText(m_dialog, kDirectoryName); }

    std::vector<ListViewProbe::Item> Items() const {
        std::vector<ListViewProbe::Item> items;
        for (int i = 0, count = m_list->Count(); i < count; ++i)
            items.push_back(m_list->Get(i));
        return items;
    }
    int DoubleClickOn(const std::string& text) const {
        std::vector<ListViewProbe::Item> items = Items();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].text == text) {
                EXPECT_TRUE(m_list->DoubleClick(static_cast<int>(i)));
                return static_cast<int>(i);
            }
        ADD_FAILURE() << "no item " << text;
        return -1;
    }
    // Presses a button and returns the exit code; what was written stays in Output().
    DWORD Finish(int button) {
        Driver::Click(m_dialog, button);
        DWORD code = 0xFFFF;
        if (m_driver.WaitForExit())
            GetExitCodeProcess(m_driver.Process(), &code);
        return code;
    }
    std::string Output() const { return ReadWholeFile(m_outputPath); }

private:
    TempFolder m_scratch;
    std::string m_outputPath;
    UniqueFileHandle m_output;
    Driver m_driver;
    HWND m_dialog = nullptr;
    std::optional<ListViewProbe> m_list;
};

// The list holds the chain of `folder` open, indented by depth, then exactly `children` closed.
void ExpectListing(const ChooserRun& run, const std::string& folder, std::vector<std::string> children) {
    std::vector<std::string> chain = PathComponents(folder);
    std::vector<ListViewProbe::Item> items = run.Items();
    ASSERT_EQ(items.size(), chain.size() + children.size()) << folder;
    for (size_t i = 0; i < chain.size(); ++i) {
        EXPECT_EQ(items[i].text, chain[i]);
        EXPECT_EQ(items[i].image, kOpen) << chain[i];
        EXPECT_EQ(items[i].indent, static_cast<int>(i)) << chain[i];
        EXPECT_EQ(items[i].selected, i + 1 == chain.size())
            << "only the current folder is selected: " << chain[i];
    }
    std::vector<std::string> listed;
    for (size_t i = chain.size(); i < items.size(); ++i) {
        listed.push_back(items[i].text);
        EXPECT_EQ(items[i].image, kClosed) << items[i].text;
        EXPECT_EQ(items[i].indent, static_cast<int>(chain.size())) << items[i].text;
        EXPECT_FALSE(items[i].selected) << items[i].text;
    }
    std::sort(listed.begin(), listed.end());
    std::sort(children.begin(), children.end());
    EXPECT_EQ(listed, children);
    EXPECT_EQ(run.DirectoryName(), folder);
}
} // namespace

TEST(ChooseDirectory, ListsTheChainAndSubfoldersAndCancelReturnsNothing) {
    TempFolder temp;
    std::string tools = temp.MakeFolder("Games\\Tools");
    temp.MakeFolder("Games\\Tools\\alpha");
    temp.MakeFolder("Games\\Tools\\beta");
    temp.MakeFolder("Games\\Other");
    temp.WriteFile("Games\\Tools\\notes.txt", "files are not listed");

    ChooserRun run(tools);
    ASSERT_NE(run.Dialog(), nullptr);
    ExpectListing(run, tools, {"alpha", "beta"});

    // A double click on empty space changes nothing.
    EXPECT_TRUE(run.List().DoubleClickEmptySpace());
    ExpectListing(run, tools, {"alpha", "beta"});
    EXPECT_EQ(run.Finish(IDCANCEL), 1u);
    EXPECT_EQ(run.Output(), "");
}

TEST(ChooseDirectory, DoubleClicksGoDownUpAndToTheDriveThenOkReturnsIt) {
    TempFolder temp;
    std::string games = temp.MakeFolder("Games");
    std::string tools = temp.MakeFolder("Games\\Tools");
    temp.MakeFolder("Games\\Tools\\alpha\\inner");
    temp.MakeFolder("Games\\Tools\\beta");
    temp.MakeFolder("Games\\Other");

    ChooserRun run(tools);
    ASSERT_NE(run.Dialog(), nullptr);
    ExpectListing(run, tools, {"alpha", "beta"});

    // A subfolder: the chain grows by it.
    run.DoubleClickOn("alpha");
    ExpectListing(run, tools + "\\alpha", {"inner"});

    // A folder higher up the chain: the chain is cut back there and its own subfolders show.
    run.DoubleClickOn("Games");
    ExpectListing(run, games, {"Tools", "Other"});

    // The top item, the bare drive: its root's folders are listed below it.
    std::string drive = temp.Path().substr(0, 2);
    run.DoubleClickOn(drive);
    std::vector<ListViewProbe::Item> items = run.Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[0].text, drive);
    EXPECT_EQ(items[0].image, kOpen);
    EXPECT_TRUE(items[0].selected);
    std::string firstFolder = PathComponents(temp.Path())[1];
    EXPECT_TRUE(std::any_of(items.begin() + 1, items.end(), [&](const ListViewProbe::Item& item) {
        return item.text == firstFolder && item.indent == 1 && item.image == kClosed && !item.selected;
    }));
    EXPECT_EQ(run.DirectoryName(), drive);

    EXPECT_EQ(run.Finish(IDOK), 0u);
    EXPECT_EQ(run.Output(), drive + "\r\n");
}

TEST(ChooseDirectory, RereadsTheCurrentFolderKeepsTheListForAVanishedOneAndOkTakesTheTypedName) {
    TempFolder temp;
    // Named in scripts no single code page holds: listed, shown and handed back as they are.
    const std::string here = "here \xC5\x81\xC3\xB3\x64\xC5\xBA \xD0\x98\xD0\xB3\xD1\x80\xD1\x8B "
                             "\xE6\xB8\xB8\xE6\x88\x8F \xE2\x84\xA2";
    std::string folder = temp.MakeFolder(here);
    std::string gone = temp.MakeFolder(here + "\\gone");

    // Quoted with its closing backslash, as a user may well type it.
    ChooserRun run("\"" + folder + "\\\"");
    ASSERT_NE(run.Dialog(), nullptr);
    ExpectListing(run, folder, {"gone"});

    // The current folder again: what changed on disk meanwhile shows.
    temp.MakeFolder(here + "\\fresh");
    run.DoubleClickOn(here);
    ExpectListing(run, folder, {"gone", "fresh"});

    // A folder that cannot be read any more leaves the list and the current folder as they were.
    RemoveTree(gone);
    run.DoubleClickOn("gone");
    ExpectListing(run, folder, {"gone", "fresh"});

    // The name typed into the box is what OK hands back.
    HWND box = GetDlgItem(run.Dialog(), kDirectoryName);
    std::string typed = temp / ("typed" + here);
    DWORD_PTR ignored;
    SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideText(typed).c_str()),
                        SMTO_ABORTIFHUNG, Driver::kTimeoutMs, &ignored);
    EXPECT_EQ(run.Finish(IDOK), 0u);
    EXPECT_EQ(run.Output(), typed + "\r\n");
}

TEST(ChooseDirectory, InstallerExeCarriesTheChooserDialogAndItsIcons) {
    HMODULE exe = LoadLibraryExA(WindowsPath(KS_INSTALLER_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(130), RT_DIALOG), nullptr);
    EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(134), RT_GROUP_ICON), nullptr);
    EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(135), RT_GROUP_ICON), nullptr);
    FreeLibrary(exe);
}
