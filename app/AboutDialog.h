// The About box: template only, closed by the default handling.
#pragma once

#include "framework/Dialog.h"
#include "res/resource.h"

class AboutDialog : public Dialog {
public:
    explicit AboutDialog(HWND parent) : Dialog(IDD_ABOUTBOX, parent) {}
};
