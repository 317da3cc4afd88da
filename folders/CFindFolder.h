// The Open dialog through which the user points at the game folder.
#pragma once

#include "framework/FileDialog.h"

class CFindFolder : public FileDialog {
public:
    using FileDialog::FileDialog;

    const RuntimeClass* GetRuntimeClass() const override;
    static const RuntimeClass kRuntimeClass;

protected:
    // Browsing inside the dialog changes nothing outside it.
    void OnFolderChange() override {}
};
