// The common Open and Save dialog, with its parameter record and bounded name buffers.
#include "framework/FileDialog.h"

#include <cwchar>

#include "framework/Application.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"

const RuntimeClass FileDialog::kRuntimeClass{"FileDialog", &Object::kRuntimeClass, 0xFFFF, nullptr};

namespace {
std::unique_ptr<wchar_t[]> WideCopy(const char* text) {
    WideText wide(text);
    std::unique_ptr<wchar_t[]> copy(new wchar_t[static_cast<size_t>(wide.Length()) + 1]);
    wmemcpy(copy.get(), wide.c_str(), static_cast<size_t>(wide.Length()) + 1);
    return copy;
}
} // namespace

FileDialog::FileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                       const char* filter, HWND parent)
    : m_ofn(), m_openFileDialog(openFileDialog), m_parent(parent), m_fileName(), m_fileTitle() {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_fileTitle;
    m_ofn.nMaxFileTitle = sizeof m_fileTitle / sizeof m_fileTitle[0];
    // The hook delivers the dialog's notifications to this object.
    m_ofn.Flags = flags | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_EXPLORER;
    m_ofn.lpfnHook = HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    // Cut to the buffer in characters, not bytes.
    if (fileName)
        wcsncpy(m_fileName, WideText(fileName).c_str(), MAX_PATH - 1);
    if (defaultExtension) {
        m_defaultExtension = WideCopy(defaultExtension);
        m_ofn.lpstrDefExt = m_defaultExtension.get();
    }
    if (filter && *filter) {
        std::string pairs = filter;
        // The dialog wants pairs separated by NULs and the list ended by two.
        if (pairs.back() != '|')
            pairs += '|';
        m_filter = WideCopy(pairs.c_str());
        for (wchar_t* c = m_filter.get(); *c; ++c) {
            if (*c == L'|')
                *c = L'\0';
        }
        m_ofn.lpstrFilter = m_filter.get();
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
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    BOOL accepted = m_openFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    if (length > 0 && length < MAX_PATH)
        SetCurrentDirectoryW(current);
    if (focus && IsWindow(focus))
        SetFocus(focus);
    return accepted ? IDOK : IDCANCEL;
}

std::string FileDialog::GetPathName() const {
    return Utf8Of(m_fileName, static_cast<int>(wcsnlen(m_fileName, MAX_PATH)));
}

UINT_PTR CALLBACK FileDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* record = reinterpret_cast<OPENFILENAMEW*>(lParam);
        SetWindowLongPtrW(hook, DWLP_USER, record->lCustData);
        return 0;
    }
    if (message == WM_NOTIFY) {
        auto* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrW(hook, DWLP_USER));
        auto* notice = reinterpret_cast<OFNOTIFYW*>(lParam);
        if (self && notice && notice->hdr.code == CDN_FOLDERCHANGE)
            self->OnFolderChange();
    }
    return 0;
}
