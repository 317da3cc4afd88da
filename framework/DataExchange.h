// One run of a dialog's data exchange: binds controls and moves texts one way.
#pragma once

#include <windows.h>

#include <string>

class Window;

class DataExchange {
public:
    DataExchange(HWND dialog, bool toMembers) : m_dialog(dialog), m_toMembers(toMembers) {}

    bool ToMembers() const { return m_toMembers; }
    bool Failed() const { return m_failed; }

    // Binds a control wrapper to the dialog's control; a missing control fails the exchange.
    void Control(int id, Window& control);
    // Moves a control's text to the member or the member's text to the control.
    void Text(int id, std::string& value);

private:
    HWND ControlHandle(int id);

    HWND m_dialog;
    bool m_toMembers;
    bool m_failed = false;
};
