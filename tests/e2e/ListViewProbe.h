// Reads and clicks a list view of another process: item records travel through memory lent in that process.
#pragma once

#include <windows.h>

#include <string>

class ListViewProbe {
public:
    struct Item {
        std::string text;
        int image = -1;
        int indent = -1;
        bool selected = false;
    };

    ListViewProbe(HANDLE process, HWND list) : m_process(process), m_list(list) {}

    int Count() const;
    Item Get(int index) const;
    // Double-clicks the item's label as the mouse would; returns when the list has handled it.
    bool DoubleClick(int index) const;
    // Double-clicks below the last item.
    bool DoubleClickEmptySpace() const;

private:
    bool LabelRect(int index, RECT& rect) const;
    bool DoubleClickAt(int x, int y) const;

    HANDLE m_process;
    HWND m_list;
};
