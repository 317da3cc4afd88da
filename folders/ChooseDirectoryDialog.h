// The stand-alone folder chooser: the chain to the current folder and its subfolders as one indented list.
#pragma once

#include <string>

#include "folders/FolderNode.h"
#include "framework/Dialog.h"
#include "framework/ListViewControl.h"

class ChooseDirectoryDialog : public Dialog {
public:
    // Opens on `initialFolder` (full path, no trailing backslash).
    ChooseDirectoryDialog(HWND parent, const std::string& initialFolder);

    // After OK: the folder chosen, as the directory name box last showed it.
    const std::string& CurrentPath() const { return m_currentPath; }

    void NavigateTo(const std::string& path);
    void FillList(const FolderNode& node);
    void SelectPathItem(const std::string& path);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static const MessageEntry<ChooseDirectoryDialog> kMessageMap[];

    // Empties the list, rebuilds the tree for m_currentPath, refills and selects it.
    void ShowCurrentFolder();
    // Widens the one column to the deepest indented name, so long chains scroll instead of being cut.
    void FitColumn();
    void OnChangeDirectoryName() {}
    LRESULT OnDblclkFolderList(NMHDR* header);
    LRESULT OnClickFolderList(NMHDR*) { return 0; }

    ListViewControl m_folderList;
    std::string m_currentPath;
    FolderNode m_root;
    int m_itemCount = 0;
};
