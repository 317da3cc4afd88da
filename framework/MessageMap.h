// Typed message tables: window messages and control notifications mapped to member handlers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

template <class T>
struct MessageEntry {
    using SimpleHandler = void (T::*)();
    using MessageHandler = LRESULT (T::*)(WPARAM, LPARAM);
    using NotifyHandler = LRESULT (T::*)(NMHDR*);

    // A window message with its arguments: { 2059, &InstallerDialog::OnShowText }.
    constexpr MessageEntry(UINT message, MessageHandler handler) : m_message(message), m_onMessage(handler) {}
    // A window message that needs no arguments: { WM_PAINT, &InstallerDialog::OnPaint }.
    constexpr MessageEntry(UINT message, SimpleHandler handler) : m_message(message), m_onSimple(handler) {}
    // A WM_COMMAND notification from one control: { BN_CLICKED, 1003, &InstallerDialog::OnInstallNewGui }.
    constexpr MessageEntry(UINT code, int id, SimpleHandler handler)
        : m_message(WM_COMMAND), m_code(code), m_id(id), m_onSimple(handler) {}
    // A WM_NOTIFY notification from one control: { NM_DBLCLK, 1006, &ChooseDirectoryDialog::OnDblclk }.
    constexpr MessageEntry(UINT code, int id, NotifyHandler handler)
        : m_message(WM_NOTIFY), m_code(code), m_id(id), m_onNotify(handler) {}

    UINT m_message;
    UINT m_code = 0;
    int m_id = 0;
    MessageHandler m_onMessage = nullptr;
    SimpleHandler m_onSimple = nullptr;
    NotifyHandler m_onNotify = nullptr;
};

// Runs the first entry that matches; false when none does, so the caller can chain to its base.
template <class T, std::size_t N>
bool DispatchMessageMap(T& self, const MessageEntry<T> (&map)[N], UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result) {
    for (const MessageEntry<T>& entry : map) {
        if (entry.m_message != message)
            continue;
        if (message == WM_COMMAND) {
            if (HIWORD(wParam) != entry.m_code || LOWORD(wParam) != static_cast<WORD>(entry.m_id))
                continue;
            (self.*entry.m_onSimple)();
            result = 0;
            return true;
        }
        if (message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (!header || header->idFrom != static_cast<UINT_PTR>(entry.m_id) || header->code != entry.m_code)
                continue;
            result = (self.*entry.m_onNotify)(header);
            return true;
        }
        if (entry.m_onMessage) {
            result = (self.*entry.m_onMessage)(wParam, lParam);
        } else {
            (self.*entry.m_onSimple)();
            result = 0;
        }
        return true;
    }
    return false;
}
