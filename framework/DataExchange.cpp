// One run of a dialog's data exchange: binds controls and moves texts one way.
#include "framework/DataExchange.h"

#include "framework/Window.h"

HWND DataExchange::ControlHandle(int id) {
    HWND control = GetDlgItem(m_dialog, id);
    if (!control)
        m_failed = true;
    return control;
}

void DataExchange::Control(int id, Window& control) {
    control.Attach(ControlHandle(id));
}

void DataExchange::Text(int id, std::string& value) {
    Window control(ControlHandle(id));
    if (!control.Handle())
        return;
    if (m_toMembers)
        value = control.GetText();
    else
        control.SetText(value);
}
