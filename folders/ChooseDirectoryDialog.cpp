// The stand-alone folder chooser: the chain to the current folder and its subfolders as one indented list.
#include "folders/ChooseDirectoryDialog.h"

#include <algorithm>

#include "res/resource.h"

namespace {
constexpr int kClosedImage = 0;
constexpr int kOpenImage = 1;

HIMAGELIST MakeFolderImages() {
    int width = GetSystemMetrics(SM_CXSMICON);
    int height = GetSystemMetrics(SM_CYSMICON);
    HIMAGELIST images = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 2, 0);
    if (!images)
        return nullptr;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Shared icons belong to the system's cache; the image list keeps copies of its own.
    for (int id : {IDI_FOLDER_CLOSED, IDI_FOLDER_OPEN}) {
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_SHARED);
        ImageList_AddIcon(images, static_cast<HICON>(icon));
    }
    return images;
}
} // namespace

// Horizontal scrolling is left to the dialog manager, as is everything not listed here.
const MessageEntry<ChooseDirectoryDialog> ChooseDirectoryDialog::kMessageMap[] = {
    {EN_CHANGE, IDC_DIRECTORY_NAME, &ChooseDirectoryDialog::OnChangeDirectoryName},
    {NM_DBLCLK, IDC_FOLDER_LIST, &ChooseDirectoryDialog::OnDblclkFolderList},
    {NM_CLICK, IDC_FOLDER_LIST, &ChooseDirectoryDialog::OnClickFolderList},
};

ChooseDirectoryDialog::ChooseDirectoryDialog(HWND parent, const std::string& initialFolder)
    : Dialog(IDD_CHOOSE_DIRECTORY, parent), m_currentPath(initialFolder) {}

bool ChooseDirectoryDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return DispatchMessageMap(*this, kMessageMap, message, wParam, lParam, result) ||
           Dialog::OnMessage(message, wParam, lParam, result);
}

void ChooseDirectoryDialog::DoDataExchange(DataExchange& dx) {
    dx.Control(IDC_FOLDER_LIST, m_folderList);
    dx.Text(IDC_DIRECTORY_NAME, m_currentPath);
}

BOOL ChooseDirectoryDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    m_folderList.SetSmallImageList(MakeFolderImages());
    m_folderList.InsertColumn(0, 0);
    ShowCurrentFolder();
    return TRUE;
}

void ChooseDirectoryDialog::NavigateTo(const std::string& path) {
    if (m_root.BuildFromPath(path + "\\"))
        m_currentPath = path;
    else
        m_currentPath.clear();
}

void ChooseDirectoryDialog::FillList(const FolderNode& node) {
    if (!node.m_shown)
        return;
    m_folderList.InsertItem(m_itemCount, node.m_name, node.m_onPath ? kOpenImage : kClosedImage,
                            node.m_level);
    m_folderList.SetItemData(m_itemCount, reinterpret_cast<LPARAM>(&node));
    ++m_itemCount;
    for (const FolderNode& child : node.m_children)
        FillList(child);
}

void ChooseDirectoryDialog::SelectPathItem(const std::string& path) {
    int count = m_folderList.GetItemCount();
    for (int i = m_folderList.GetTopIndex(); i < count; ++i) {
        auto* node = reinterpret_cast<const FolderNode*>(m_folderList.GetItemData(i));
        if (node && node->m_path == path) {
            m_folderList.SetItemState(i, 0, LVIS_SELECTED);
            m_folderList.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            return;
        }
    }
}

void ChooseDirectoryDialog::ShowCurrentFolder() {
    // The items point into the tree, so they go before the tree is rebuilt.
    m_folderList.DeleteAllItems();
    NavigateTo(m_currentPath);
    m_itemCount = 0;
    FillList(m_root);
    SelectPathItem(m_currentPath);
    FitColumn();
    UpdateData(false);
}

void ChooseDirectoryDialog::FitColumn() {
    RECT client = {};
    GetClientRect(m_folderList.Handle(), &client);
    int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    // Room for the label's own padding on both sides.
    constexpr int kLabelMargin = 12;
    int step = GetSystemMetrics(SM_CXSMICON);
    for (int i = 0, count = m_folderList.GetItemCount(); i < count; ++i) {
        if (auto* node = reinterpret_cast<const FolderNode*>(m_folderList.GetItemData(i)))
            width = std::max(width, (node->m_level + 1) * step + m_folderList.GetStringWidth(node->m_name) +
                                        kLabelMargin);
    }
    m_folderList.SetColumnWidth(0, width);
}

LRESULT ChooseDirectoryDialog::OnDblclkFolderList(NMHDR* header) {
    auto* activate = reinterpret_cast<NMITEMACTIVATE*>(header);
    if (activate->iItem == -1)
        return 0;
    auto* node = reinterpret_cast<const FolderNode*>(m_folderList.GetItemData(activate->iItem));
    if (!node)
        return 0;
    // A folder that cannot be read (vanished, or a name the code page turned into '?') would
    // leave an empty list with no way back: the current one stays, selected again.
    if (!FolderNode::PathExists(node->m_path)) {
        m_folderList.SetItemState(-1, 0, LVIS_SELECTED);
        SelectPathItem(m_currentPath);
        return 0;
    }
    // A copy: the node goes with the old tree.
    m_currentPath = node->m_path;
    ShowCurrentFolder();
    return 0;
}
