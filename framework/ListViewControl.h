// A list-view control bound to a dialog control, with the item operations the dialogs use.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/WideText.h"
#include "framework/Window.h"

class ListViewControl : public Window {
public:
    using Window::Window;

    // The new item's index, or -1.
    int InsertItem(int index, const std::string& text, int image, int indent) const {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT;
        item.iItem = index;
        WideText wide(text);
        item.pszText = wide.data();
        item.iImage = image;
        item.iIndent = indent;
        return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemData(int index, LPARAM data) const {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = data;
        return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    // Zero for an index that is not in the list.
    LPARAM GetItemData(int index) const {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
    }
    void SetItemState(int index, UINT state, UINT mask) const {
        LVITEMW item = {};
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
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = width;
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    }

    void SetColumnWidth(int index, int width) const {
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0));
    }
    // The text's width in the list's font, in pixels.
    int GetStringWidth(const std::string& text) const {
        return static_cast<int>(
            Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(WideText(text).c_str())));
    }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return SendMessageW(Handle(), message, wParam, lParam);
    }
};
