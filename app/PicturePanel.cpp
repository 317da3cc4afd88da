// The picture panel of the main window: the configured bitmap, loaded once and painted by its frame.
#include "app/InstallerDialog.h"

#include <algorithm>

#include "app/PictureFile.h"
#include "framework/SelectedObject.h"
#include "framework/WideText.h"
#include "res/resource.h"

LRESULT InstallerDialog::OnDrawItem(WPARAM id, LPARAM item) {
    auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(item);
    if (id != IDC_PICTURE || !draw || draw->CtlType != ODT_STATIC)
        return FALSE;
    PaintPicture(*draw);
    return TRUE;
}

void InstallerDialog::LoadPicture() {
    m_picture.reset();
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    std::string name = m_settings->GetIniString("bitmap_file", "", -1);
    for (const std::string& path : PictureFile::Candidates(name, m_settings->GetProgramDir())) {
        HANDLE image = LoadImageW(GetModuleHandleW(nullptr), WideText(path).c_str(), IMAGE_BITMAP, 0, 0,
                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        if (!image)
            continue;
        m_picture.reset(image);
        BITMAP description;
        if (GetObjectW(image, sizeof description, &description) == sizeof description) {
            m_pictureWidth = description.bmWidth;
            m_pictureHeight = description.bmHeight;
        }
        return;
    }
}

void InstallerDialog::PaintPicture(const DRAWITEMSTRUCT& frame) {
    HDC dc = frame.hDC;
    const RECT& area = frame.rcItem;
    int saved = SaveDC(dc);
    // The frame's context may be its parent's: a larger picture must still stop at the frame.
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    LONG shownWidth = 0;
    LONG shownHeight = 0;
    if (m_picture) {
        // The frame grows with the system DPI, so the picture does too; at 96 it is copied as it is.
        LONG width = MulDiv(m_pictureWidth, GetDeviceCaps(dc, LOGPIXELSX), 96);
        LONG height = MulDiv(m_pictureHeight, GetDeviceCaps(dc, LOGPIXELSY), 96);
        if (width != m_pictureWidth || height != m_pictureHeight) {
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
        }
        UniqueMemoryDc memory(CreateCompatibleDC(dc));
        SelectedObject picture(memory.get(), m_picture.get());
        if (memory && picture &&
            StretchBlt(dc, area.left, area.top, width, height, memory.get(), 0, 0, m_pictureWidth,
                       m_pictureHeight, SRCCOPY)) {
            shownWidth = std::min<LONG>(width, area.right - area.left);
            shownHeight = std::min<LONG>(height, area.bottom - area.top);
        }
    }
    // The frame draws no background of its own; what the picture leaves free stays empty.
    HBRUSH background = GetSysColorBrush(COLOR_BTNFACE);
    RECT right = {area.left + shownWidth, area.top, area.right, area.bottom};
    RECT below = {area.left, area.top + shownHeight, area.left + shownWidth, area.bottom};
    FillRect(dc, &right, background);
    FillRect(dc, &below, background);
    RestoreDC(dc, saved);
}
