// Modal dialog from a template, with message-table dispatch and data exchange.
#include "framework/Dialog.h"

#include "framework/Application.h"

Dialog::Dialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

Dialog::~Dialog() = default;

INT_PTR Dialog::DoModal() {
    // As with the platform framework, a dialog without a parent is owned by the main window.
    HWND owner = m_parent;
    Application* app = Application::Current();
    if (!owner && app)
        owner = app->MainWindow();
    HINSTANCE instance = app && app->Instance() ? app->Instance() : GetModuleHandleW(nullptr);
    // The W function, so the dialog and its controls hold Unicode text.
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::UpdateData(bool toMembers) {
    DataExchange dx(m_hwnd, toMembers);
    DoDataExchange(dx);
    return !dx.Failed();
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

void Dialog::EndDialog(INT_PTR result) {
    m_ending = true;
    ::EndDialog(m_hwnd, result);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hwnd = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages that come before WM_INITDIALOG (WM_SETFONT) get the default handling.
    if (!self)
        return FALSE;
    INT_PTR handled = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    return handled;
}

// The dialog manager takes these results from the procedure's return value, not DWLP_MSGRESULT.
bool Dialog::ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return OnInitDialog();

    // Handlers may run modal loops that dispatch further messages; each keeps its own flag.
    bool outer = m_passToDefault;
    m_passToDefault = false;
    LRESULT result = 0;
    bool handled = OnMessage(message, wParam, lParam, result);
    bool passOn = m_passToDefault;
    m_passToDefault = outer;
    if (handled && !passOn) {
        if (ReturnsResultDirectly(message))
            return static_cast<INT_PTR>(result);
        if (m_hwnd)
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (handled)
        return FALSE;

    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}
