// The common Open and Save dialog, with its parameter record and bounded name buffers.
#include "framework/FileDialog.h"

#include <cstring>

#include "framework/Application.h"

const RuntimeClass FileDialog::kRuntimeClass{"FileDialog", &Object::kRuntimeClass, 0xFFFF, nullptr};

FileDialog::FileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                       const char* filter, HWND parent)
    : m_ofn(), m_openFileDialog(openFileDialog), m_parent(parent), m_fileName(), m_fileTitle() {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = sizeof m_fileName;
    m_ofn.lpstrFileTitle = m_fileTitle;
    m_ofn.nMaxFileTitle = sizeof m_fileTitle;
    // The hook delivers the dialog's notifications to this object.
    m_ofn.Flags = flags | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER;
    m_ofn.lpfnHook = HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    if (fileName)
        std::strncpy(m_fileName, fileName, sizeof m_fileName - 1);
    if (defaultExtension) {
        m_defaultExtension = defaultExtension;
        m_ofn.lpstrDefExt = m_defaultExtension.c_str();
    }
    if (filter && *filter) {
        m_filter = filter;
        // The dialog wants pairs separated by NULs and the list ended by two.
        if (m_filter.back() != '|')
            m_filter += '|';
        for (char& c : m_filter) {
            if (c == '|')
                c = '\0';
        }
        m_ofn.lpstrFilter = m_filter.c_str();
    }
}

FileDialog::~FileDialog() = default;

const RuntimeClass* FileDialog::GetRuntimeClass() const {
    return &kRuntimeClass;
}

INT_PTR FileDialog::DoModal() {
    // As with the other dialogs, one without a parent is owned by the main window.
    HWND owner = m_parent;
    Application* app = Application::Current();
    if (!owner && app)
        owner = app->MainWindow();
    m_ofn.hwndOwner = owner;
    HWND focus = GetFocus();
    // The Open dialog may move the current directory whatever its flags say; it is put back.
    char current[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof current, current);
    BOOL accepted = m_openFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    if (length > 0 && length < sizeof current)
        SetCurrentDirectoryA(current);
    if (focus && IsWindow(focus))
        SetFocus(focus);
    return accepted ? IDOK : IDCANCEL;
}

std::string FileDialog::GetPathName() const {
    return std::string(m_fileName, strnlen(m_fileName, sizeof m_fileName));
}

UINT_PTR CALLBACK FileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* record = reinterpret_cast<OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(hook, DWLP_USER, record->lCustData);
        return 0;
    }
    if (message == WM_NOTIFY) {
        auto* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrA(hook, DWLP_USER));
        auto* notice = reinterpret_cast<OFNOTIFYA*>(lParam);
        if (self && notice && notice->hdr.code == CDN_FOLDERCHANGE)
            self->OnFolderChange();
    }
    return 0;
}
