// The common Open and Save dialog, with its parameter record and bounded name buffers.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <string>

#include "framework/Object.h"

class FileDialog : public Object {
public:
    // filter: "|"-separated pairs of description and pattern, or null for every file.
    FileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName, DWORD flags,
               const char* filter, HWND parent);
    ~FileDialog() override;
    // The parameter record points into the object itself.
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    const RuntimeClass* GetRuntimeClass() const override;
    static const RuntimeClass kRuntimeClass;

    // IDOK when the user accepted a file; IDCANCEL when they cancelled or the dialog failed.
    INT_PTR DoModal();
    // The chosen file's full path, after DoModal returned IDOK.
    std::string GetPathName() const;

    // The caller may set the title and other fields before DoModal.
    OPENFILENAMEW m_ofn;

protected:
    // The user opened another folder inside the dialog.
    virtual void OnFolderChange() {}

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);

    BOOL m_openFileDialog;
    HWND m_parent;
    std::unique_ptr<wchar_t[]> m_defaultExtension;
    std::unique_ptr<wchar_t[]> m_filter;
    wchar_t m_fileName[MAX_PATH];
    wchar_t m_fileTitle[64];
};
