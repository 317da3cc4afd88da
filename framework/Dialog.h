// Modal dialog from a template, with message-table dispatch and data exchange.
#pragma once

#include <windows.h>

#include "framework/DataExchange.h"
#include "framework/MessageMap.h"

class Dialog {
public:
    Dialog(UINT templateId, HWND parent);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // IDOK, IDCANCEL or another EndDialog result; -1 when the window could not be created.
    INT_PTR DoModal();
    HWND Handle() const { return m_hwnd; }
    // True once EndDialog has been called: the window goes when its handlers have returned.
    bool IsEnding() const { return m_ending; }

    // Runs DoDataExchange one way; false when a control was missing.
    bool UpdateData(bool toMembers);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    virtual void OnOK();
    virtual void OnCancel();
    // The derived class's message table; true when a handler ran.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void EndDialog(INT_PTR result);
    // Called from a handler: the dialog manager's default processing runs as well.
    void LetDefaultHandle() { m_passToDefault = true; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static bool ReturnsResultDirectly(UINT message);

    UINT m_templateId;
    HWND m_parent;
    HWND m_hwnd = nullptr;
    bool m_passToDefault = false;
    bool m_ending = false;
};
