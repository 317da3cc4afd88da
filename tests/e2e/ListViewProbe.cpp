// Reads and clicks a list view of another process: item records travel through memory lent in that process.
#include "ListViewProbe.h"

#include "framework/Utf8.h"

#include <commctrl.h>

namespace {
constexpr DWORD kTimeoutMs = 10000;
constexpr int kTextSize = 260;

// List-view messages carry pointers that are not marshalled, so they must point into the target.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : m_process(process), m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBlock() {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    char* Address() const { return static_cast<char*>(m_address); }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        SIZE_T done = 0;
        return m_address && WriteProcessMemory(m_process, Address() + offset, data, size, &done) &&
               done == size;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        SIZE_T done = 0;
        return m_address && ReadProcessMemory(m_process, Address() + offset, data, size, &done) &&
               done == size;
    }

private:
    HANDLE m_process;
    void* m_address;
};

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &answer))
        return false;
    result = static_cast<LRESULT>(answer);
    return true;
}
} // namespace

int ListViewProbe::Count() const {
    LRESULT count = -1;
    return Send(m_list, LVM_GETITEMCOUNT, 0, 0, count) ? static_cast<int>(count) : -1;
}

ListViewProbe::Item ListViewProbe::Get(int index) const {
    Item result;
    RemoteBlock block(m_process, sizeof(LVITEMW) + kTextSize * sizeof(wchar_t));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT | LVIF_STATE;
    item.iItem = index;
    item.stateMask = LVIS_SELECTED;
    item.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(LVITEMW));
    item.cchTextMax = kTextSize;
    LRESULT ok = FALSE;
    if (!block.Write(0, &item, sizeof item) ||
        !Send(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.Address()), ok) || !ok)
        return result;
    wchar_t text[kTextSize] = {};
    if (!block.Read(0, &item, sizeof item) || !block.Read(sizeof(LVITEMW), text, sizeof text))
        return result;
    text[kTextSize - 1] = L'\0';
    result.text = Utf8Of(text);
    result.image = item.iImage;
    result.indent = item.iIndent;
    result.selected = (item.state & LVIS_SELECTED) != 0;
    return result;
}

bool ListViewProbe::LabelRect(int index, RECT& rect) const {
    RemoteBlock block(m_process, sizeof(RECT));
    RECT request = {LVIR_LABEL, 0, 0, 0};
    LRESULT ok = FALSE;
    return block.Write(0, &request, sizeof request) &&
           Send(m_list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(block.Address()), ok) &&
           ok && block.Read(0, &rect, sizeof rect);
}

bool ListViewProbe::DoubleClickAt(int x, int y) const {
    LRESULT ignored = 0;
    // Sent, not posted: the notification and the dialog's handling are over when this returns.
    return Send(m_list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y), ignored) &&
           Send(m_list, WM_LBUTTONUP, 0, MAKELPARAM(x, y), ignored);
}

bool ListViewProbe::DoubleClick(int index) const {
    RECT rect;
    return LabelRect(index, rect) && DoubleClickAt(rect.left + 3, (rect.top + rect.bottom) / 2);
}

bool ListViewProbe::DoubleClickEmptySpace() const {
    RECT client;
    RECT last = {};
    int count = Count();
    if (!GetClientRect(m_list, &client) || (count > 0 && !LabelRect(count - 1, last)))
        return false;
    int y = last.bottom + 4;
    return y < client.bottom && DoubleClickAt(4, y);
}
