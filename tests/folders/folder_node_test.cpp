// The folder tree built from real folders: chain, subfolders, rebuilds, failures and copies.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

#include "folders/FolderNode.h"
#include "support/PathComponents.h"
#include "support/TempFolder.h"

namespace {
std::vector<std::string> ChildNames(const FolderNode& node) {
    std::vector<std::string> names;
    for (const FolderNode& child : node.m_children)
        names.push_back(child.m_name);
    std::sort(names.begin(), names.end());
    return names;
}

// Walks the chain down to the current folder (the first node with no single open child).
const FolderNode& LastOfChain(const FolderNode& top) {
    const FolderNode* node = &top;
    while (node->m_children.size() == 1 && node->m_children.front().m_onPath)
        node = &node->m_children.front();
    return *node;
}

// Every chain node and every subfolder: name, path and level agree with its place in the tree.
void ExpectConsistent(const FolderNode& node, int level, const std::string& parentPath) {
    EXPECT_EQ(node.m_level, level) << node.m_path;
    EXPECT_TRUE(node.m_shown) << node.m_path;
    if (level > 0) {
        EXPECT_EQ(node.m_path, parentPath + "\\" + node.m_name);
    }
    for (const FolderNode& child : node.m_children)
        ExpectConsistent(child, level + 1, node.m_path);
}

} // namespace

TEST(FolderNode, NewNodeIsEmptyAndHidden) {
    FolderNode node;
    EXPECT_EQ(node.m_name, "");
    EXPECT_EQ(node.m_path, "");
    EXPECT_FALSE(node.m_onPath);
    EXPECT_FALSE(node.m_shown);
    EXPECT_EQ(node.m_level, 0);
    EXPECT_TRUE(node.m_children.empty());
}

TEST(FolderNode, BuildMakesOneOpenNodePerComponentThenTheSubfoldersClosed) {
    TempFolder temp;
    std::string current = temp.MakeFolder("Games\\Tools");
    temp.MakeFolder("Games\\Tools\\alpha");
    temp.MakeFolder("Games\\Tools\\beta\\deeper");
    temp.MakeFolder("Games\\sibling");
    temp.WriteFile("Games\\Tools\\readme.txt", "files never show");

    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(current + "\\"));
    std::vector<std::string> parts = PathComponents(current);
    EXPECT_EQ(top.m_name, parts.front());
    EXPECT_EQ(top.m_path, parts.front());
    ExpectConsistent(top, 0, "");

    const FolderNode* node = &top;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        EXPECT_TRUE(node->m_onPath);
        ASSERT_EQ(node->m_children.size(), 1u) << "siblings of the chain are never read: " << node->m_path;
        node = &node->m_children.front();
        EXPECT_EQ(node->m_name, parts[i + 1]);
    }
    EXPECT_EQ(node->m_path, current);
    EXPECT_EQ(node->m_level, static_cast<int>(parts.size()) - 1);
    EXPECT_TRUE(node->m_onPath);
    EXPECT_EQ(ChildNames(*node), (std::vector<std::string>{"alpha", "beta"}));
    for (const FolderNode& child : node->m_children) {
        EXPECT_FALSE(child.m_onPath);
        EXPECT_TRUE(child.m_children.empty()) << "subfolders get no children of their own";
    }
}

TEST(FolderNode, HiddenAndSystemFoldersAreListedButFilesAndDotEntriesNever) {
    TempFolder temp;
    // Wine marks dot names hidden; the attribute call is for Windows.
    std::string hidden = temp.MakeFolder(".hidden");
    std::string system = temp.MakeFolder("system");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    temp.WriteFile("file.txt", "x");
    temp.WriteFile("nodot", "");

    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(temp.Path() + "\\"));
    EXPECT_EQ(ChildNames(LastOfChain(top)), (std::vector<std::string>{".hidden", "system"}));
    SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FolderNode, FolderWithOnlyFilesOrNothingEndsTheChainWithoutChildren) {
    TempFolder temp;
    std::string empty = temp.MakeFolder("empty");
    temp.WriteFile("files\\a.txt", "a");
    temp.WriteFile("files\\b.txt", "b");
    for (const std::string& folder : {empty, temp / "files"}) {
        FolderNode top;
        ASSERT_TRUE(top.BuildFromPath(folder + "\\"));
        const FolderNode& last = LastOfChain(top);
        EXPECT_EQ(last.m_path, folder);
        EXPECT_TRUE(last.m_children.empty());
    }
}

TEST(FolderNode, RebuildDiscardsTheOldSubtreeAndFailedBuildKeepsTheTopNode) {
    TempFolder temp;
    std::string first = temp.MakeFolder("first");
    temp.MakeFolder("first\\old1");
    temp.MakeFolder("first\\old2");
    std::string second = temp.MakeFolder("second");
    temp.MakeFolder("second\\new1");

    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(first + "\\"));
    ASSERT_TRUE(top.BuildFromPath(second + "\\"));
    const FolderNode& last = LastOfChain(top);
    EXPECT_EQ(last.m_path, second);
    EXPECT_EQ(ChildNames(last), (std::vector<std::string>{"new1"}));

    // Reading the folder again shows what changed on disk meanwhile.
    RemoveTree(second + "\\new1");
    temp.MakeFolder("second\\new2");
    ASSERT_TRUE(top.BuildFromPath(second + "\\"));
    EXPECT_EQ(ChildNames(LastOfChain(top)), (std::vector<std::string>{"new2"}));

    FolderNode before = top;
    EXPECT_FALSE(top.BuildFromPath(temp / "missing\\"));
    EXPECT_TRUE(top.m_children.empty());
    EXPECT_EQ(top.m_name, before.m_name);
    EXPECT_EQ(top.m_path, before.m_path);
    EXPECT_EQ(top.m_level, 0);
    EXPECT_TRUE(top.m_onPath);
    EXPECT_TRUE(top.m_shown);
}

TEST(FolderNode, CopyIsDeepAndIndependentOfTheSource) {
    TempFolder temp;
    std::string folder = temp.MakeFolder("a\\b");
    temp.MakeFolder("a\\b\\c");
    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(folder + "\\"));

    FolderNode copy = top;
    FolderNode assigned;
    assigned = top;
    for (const FolderNode* other : {&copy, &assigned}) {
        EXPECT_EQ(other->m_path, top.m_path);
        EXPECT_EQ(LastOfChain(*other).m_path, folder);
        EXPECT_EQ(ChildNames(LastOfChain(*other)), (std::vector<std::string>{"c"}));
    }

    top.ClearChildren();
    top.m_name = "changed";
    EXPECT_NE(copy.m_name, "changed");
    EXPECT_EQ(ChildNames(LastOfChain(copy)), (std::vector<std::string>{"c"}));
    copy.m_children.front().m_name = "also changed";
    EXPECT_NE(assigned.m_children.front().m_name, "also changed");
}

TEST(FolderNode, PathExistsTakesFilesAndFoldersWithOrWithoutOneBackslash) {
    TempFolder temp;
    std::string file = temp.WriteFile("file.txt", "x");
    EXPECT_TRUE(FolderNode::PathExists(temp.Path()));
    EXPECT_TRUE(FolderNode::PathExists(temp.Path() + "\\"));
    EXPECT_TRUE(FolderNode::PathExists(file));
    EXPECT_FALSE(FolderNode::PathExists(temp / "missing"));
    EXPECT_FALSE(FolderNode::PathExists(""));

    // A file as the current folder: its name ends the chain, and it has no subfolders to read.
    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(file + "\\"));
    const FolderNode& last = LastOfChain(top);
    EXPECT_EQ(last.m_name, "file.txt");
    EXPECT_TRUE(last.m_children.empty());
}

TEST(FolderNode, WildcardPathWasTakenForTheEntryItMatched) {
    TempFolder temp;
    temp.MakeFolder("present");
    EXPECT_FALSE(FolderNode::PathExists(temp / "pres*"));
    EXPECT_FALSE(FolderNode::PathExists(temp / "presen?\\"));
    FolderNode top;
    EXPECT_FALSE(top.BuildFromPath(temp / "pres*\\"));
}

TEST(FolderNode, BareDriveWasNeverFoundSoTheUserCouldNotGoUpToIt) {
    TempFolder temp;
    std::string drive = temp.Path().substr(0, 2);
    EXPECT_TRUE(FolderNode::PathExists(drive));
    EXPECT_TRUE(FolderNode::PathExists(drive + "\\"));

    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(drive + "\\"));
    EXPECT_EQ(top.m_name, drive);
    EXPECT_EQ(top.m_path, drive);
    EXPECT_TRUE(top.m_onPath);
    // The drive's own folders are read, among them the first folder of the temporary path.
    std::vector<std::string> names = ChildNames(top);
    std::string firstFolder = PathComponents(temp.Path())[1];
    EXPECT_NE(std::find(names.begin(), names.end(), firstFolder), names.end());
    ExpectConsistent(top, 0, "");
}

TEST(FolderNode, PathWithoutClosingBackslashRanPastTheEndOfItsText) {
    TempFolder temp;
    std::string folder = temp.MakeFolder("x\\y");
    temp.MakeFolder("x\\y\\z");
    FolderNode withSlash;
    FolderNode without;
    ASSERT_TRUE(withSlash.BuildFromPath(folder + "\\"));
    ASSERT_TRUE(without.BuildFromPath(folder));
    const FolderNode& last = LastOfChain(without);
    EXPECT_EQ(last.m_path, LastOfChain(withSlash).m_path);
    EXPECT_EQ(last.m_level, LastOfChain(withSlash).m_level);
    EXPECT_EQ(ChildNames(last), (std::vector<std::string>{"z"}));

    // No backslash at all: the bare drive.
    FolderNode drive;
    ASSERT_TRUE(drive.BuildFromPath(folder.substr(0, 2)));
    EXPECT_EQ(drive.m_path, folder.substr(0, 2));
    EXPECT_FALSE(drive.m_children.empty());
}

TEST(FolderNode, DoubledBackslashesEndInAChainWithAnEmptyNamedNode) {
    TempFolder temp;
    temp.MakeFolder("x\\y");
    // An empty component between the two backslashes; the folder below it is still found.
    std::string doubled = temp.Path() + "\\\\x\\";
    FolderNode top;
    ASSERT_TRUE(top.BuildFromPath(doubled));
    const FolderNode& last = LastOfChain(top);
    EXPECT_EQ(last.m_name, "x");
    EXPECT_EQ(last.m_path, temp.Path() + "\\\\x");
    EXPECT_EQ(last.m_level, static_cast<int>(PathComponents(temp.Path()).size()) + 1);
    EXPECT_EQ(ChildNames(last), (std::vector<std::string>{"y"}));

    // Runs of backslashes anywhere end, and whatever was built keeps paths and levels in step.
    std::string drive = temp.Path().substr(0, 2);
    for (const std::string& odd :
         {drive + "\\\\\\", drive + "\\\\x\\", std::string("\\\\"), std::string("\\")}) {
        FolderNode node;
        if (node.BuildFromPath(odd))
            ExpectConsistent(node, 0, "");
        else
            EXPECT_TRUE(node.m_children.empty()) << odd;
    }
}
