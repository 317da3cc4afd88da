// A list-view control bound to a dialog control, with the item operations the dialogs use.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/Window.h"

class ListViewControl : public Window {
public:
    using Window::Window;

    // The new item's index, or -1.
    int InsertItem(int index, const std::string& text, int image, int indent) const {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT;
        item.iItem = index;
        item.pszText = const_cast<char*>(text.c_str());
        item.iImage = image;
        item.iIndent = indent;
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemData(int index, LPARAM data) const {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = data;
        return Send(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    // Zero for an index that is not in the list.
    LPARAM GetItemData(int index) const {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
    }
    void SetItemState(int index, UINT state, UINT mask) const {
        LVITEMA item = {};
        item.stateMask = mask;
        item.state = state;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    void DeleteAllItems() const { Send(LVM_DELETEALLITEMS, 0, 0); }
    int GetTopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX, 0, 0)); }
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    // The list takes the image list over and destroys it with itself.
    void SetSmallImageList(HIMAGELIST images) const {
        Send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    void InsertColumn(int index, int width) const {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = width;
        Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    }

    void SetColumnWidth(int index, int width) const {
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0));
    }
    // The text's width in the list's font, in pixels.
    int GetStringWidth(const std::string& text) const {
        return static_cast<int>(Send(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return SendMessageA(Handle(), message, wParam, lParam);
    }
};
