// The picture in the main window's frame, as the screen shows it.
#include <gtest/gtest.h>

#include <string>

#include "InstallerRun.h"
#include "ScreenShot.h"

namespace {
constexpr int kPicture = 1008;
// A 24-bit bitmap file whose pixel (x, y) has the colour the function gives.
template <class Colour> std::string BitmapFile(int width, int height, Colour colour) {
    int rowSize = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowSize * height;
    std::string data(reinterpret_cast<const char*>(&file), sizeof file);
    data.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int row = height - 1; row >= 0; --row) {
        std::string line(rowSize, '\0');
        for (int x = 0; x < width; ++x) {
            COLORREF c = colour(x, row);
            line[x * 3] = static_cast<char>(GetBValue(c));
            line[x * 3 + 1] = static_cast<char>(GetGValue(c));
            line[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        data += line;
    }
    return data;
}

// A checkerboard of 50-pixel cells, each of its own colour, so any shift or scaling shows.
COLORREF Cell(int x, int y) {
    return RGB(20 + 25 * (x / 50), 20 + 25 * (y / 50), 200);
}

// Differences between what the frame shows and the large checkerboard, unscaled from its top-left
// and cut at the frame's edges; empty when there are none.
std::string CheckerboardMismatch(HWND frame) {
    ScreenShot shot(frame, 2);
    int w = shot.Width();
    int h = shot.Height();
    std::string mismatch;
    const POINT inside[] = {{0, 0}, {60, 3}, {3, 60}, {120, 170}, {w - 1, h - 1}, {w - 1, 0}, {0, h - 1}};
    for (POINT p : inside) {
        if (shot.At(p.x, p.y) != Cell(p.x, p.y))
            mismatch += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    }
    // Just outside the frame the dialog shows its own face, not more of the picture.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (shot.At(w + 1, h / 2) != face || shot.At(w / 2, h + 1) != face)
        mismatch += " outside";
    return mismatch;
}

// A window of our own that hides part of the installer while it exists.
struct Cover {
    HWND window;
    explicit Cover(const RECT& area)
        : window(CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Static", "",
                                 WS_POPUP | WS_VISIBLE | SS_BLACKRECT, area.left, area.top,
                                 area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr)) {
        UpdateWindow(window);
        Pump();
    }
    ~Cover() {
        DestroyWindow(window);
        Pump();
    }
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
};

// The installer started from a directory, with its main window moved to where the screen shows it whole.
struct PictureRun : InstallerRun {
    HWND frame = nullptr;

    PictureRun(const AddonLayout& layout, const std::string& workingDir) : InstallerRun(layout, workingDir) {
        if (!window)
            return;
        frame = GetDlgItem(window, kPicture);
        SetWindowPos(window, nullptr, 40, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(Driver::Settle(window));
    }
};

void MoveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Driver::Settle(window));
}
} // namespace

TEST(PictureFrame, LargerPictureIsCutAtTheFrameUnscaledAndSurvivesCoveringMovingAndTheAboutBox) {
    AddonLayout layout;
    layout.WriteIni("bitmap_file=big.bmp\r\n");
    // Only in the directory the program starts from: a bare name is still looked for there.
    std::string work = layout.Game().MakeFolder("work");
    layout.Game().WriteFile("work\\big.bmp", BitmapFile(400, 400, Cell));
    PictureRun run(layout, work);
    ASSERT_NE(run.window, nullptr);
    HWND frame = run.frame;
    RECT client;
    GetClientRect(frame, &client);
    ASSERT_LT(client.right, 400);
    ASSERT_LT(client.bottom, 400);
    auto showsPicture = [&] { return CheckerboardMismatch(frame).empty(); };
    EXPECT_TRUE(WaitUntil(showsPicture)) << "at first:" << CheckerboardMismatch(frame);
    EXPECT_EQ(Driver::ItemText(run.window, kPicture), "Static");

    RECT onScreen;
    GetWindowRect(frame, &onScreen);
    {
        Cover cover({onScreen.left + 20, onScreen.top + 20, onScreen.right + 30, onScreen.bottom + 30});
        EXPECT_TRUE(WaitUntil([&] { return ScreenShot(frame, 0).At(120, 170) != Cell(120, 170); }))
            << "the cover did not cover";
    }
    EXPECT_TRUE(WaitUntil(showsPicture)) << "after covering:" << CheckerboardMismatch(frame);

    PostMessageA(run.window, WM_SYSCOMMAND, 16, 0);
    HWND about = run.driver.WaitForDialog("About KSConvert");
    ASSERT_NE(about, nullptr);
    MoveTo(about, onScreen.left + 10, onScreen.top + 10);
    EXPECT_TRUE(Driver::Dismiss(about, IDOK));
    EXPECT_TRUE(WaitUntil(showsPicture)) << "after the About box:" << CheckerboardMismatch(frame);

    MoveTo(run.window, -200, 20);
    MoveTo(run.window, 40, 20);
    EXPECT_TRUE(WaitUntil(showsPicture)) << "after moving off screen:" << CheckerboardMismatch(frame);

    // Repaints of the frame alone, without its window: queued, and the immediate one that a static
    // control does when its state changes.
    InvalidateRect(frame, nullptr, TRUE);
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_TRUE(WaitUntil(showsPicture)) << "after a repaint of the frame:" << CheckerboardMismatch(frame);
    EnableWindow(frame, FALSE);
    EnableWindow(frame, TRUE);
    EXPECT_TRUE(Driver::Settle(run.window));
    EXPECT_TRUE(WaitUntil(showsPicture))
        << "after the frame repainted itself:" << CheckerboardMismatch(frame);

    ShowWindow(run.window, SW_MINIMIZE);
    EXPECT_TRUE(Driver::Settle(run.window));
    ShowWindow(run.window, SW_RESTORE);
    EXPECT_TRUE(Driver::Settle(run.window));
    MoveTo(run.window, 40, 20);
    EXPECT_TRUE(WaitUntil(showsPicture)) << "after minimising:" << CheckerboardMismatch(frame);
    EXPECT_TRUE(run.Exit());
}

TEST(PictureFrame, PictureNextToTheProgramIsFoundFromAnotherDirectoryAndLeavesTheRestEmpty) {
    AddonLayout layout;
    layout.WriteIni("bitmap_file=splash.bmp\r\n");
    const COLORREF red = RGB(200, 30, 60);
    layout.Program().WriteFile("splash.bmp", BitmapFile(100, 80, [&](int, int) { return red; }));
    PictureRun run(layout, layout.GameDir());
    ASSERT_NE(run.window, nullptr);
    HWND frame = run.frame;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_TRUE(WaitUntil([&] {
        ScreenShot shot(frame, 0);
        return shot.At(0, 0) == red && shot.At(99, 79) == red && shot.At(100, 0) == face &&
               shot.At(0, 80) == face && shot.At(150, 40) == face &&
               shot.At(shot.Width() - 1, shot.Height() - 1) == face;
    }));
    EXPECT_TRUE(run.Exit());
}

TEST(PictureFrame, MissingOrNonBitmapFileShowsAnEmptyFrameAndTheWindowWorks) {
    AddonLayout layout;
    // JPEG data under a bitmap's name.
    layout.Program().WriteFile("fake.bmp", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01", 13) +
                                               std::string(200, '\x55'));
    for (const char* name : {"missing.bmp", "fake.bmp"}) {
        layout.WriteIni(std::string("bitmap_file=") + name + "\r\n");
        PictureRun run(layout, layout.ProgramDir());
        ASSERT_NE(run.window, nullptr) << name;
        HWND frame = run.frame;
        // Neither a picture nor the frame's own text: every pixel is the dialog's face.
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        EXPECT_TRUE(WaitUntil([&] {
            ScreenShot shot(frame, 0);
            for (int y = 0; y < shot.Height(); ++y) {
                for (int x = 0; x < shot.Width(); ++x) {
                    if (shot.At(x, y) != face)
                        return false;
                }
            }
            return true;
        })) << name;
        Driver::Click(run.window, 1001);
        HWND browse = run.driver.WaitForDialog("Browse for Kestrel Squad Folder");
        ASSERT_NE(browse, nullptr) << name;
        EXPECT_TRUE(Driver::Dismiss(browse, IDCANCEL)) << name;
        EXPECT_TRUE(run.Exit()) << name;
    }
}

namespace {
// While it lives, this thread measures and reads windows in the screen's own pixels, as a program
// aware of each monitor's DPI does. A DPI-unaware caller, which this test program is, may be shown
// another process's window scaled to 96 DPI, however that window laid itself out.
class ScreenPixels {
public:
    ScreenPixels() {
        if (Set())
            m_old = Set()(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
    ~ScreenPixels() {
        if (m_old)
            Set()(m_old);
    }
    ScreenPixels(const ScreenPixels&) = delete;
    ScreenPixels& operator=(const ScreenPixels&) = delete;
    // The DPI the window laid itself out for; 0 where the system cannot say.
    static UINT WindowDpi(HWND window) {
        auto get = reinterpret_cast<UINT(WINAPI*)(HWND)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
        return get ? get(window) : 0;
    }
    // The DPI the session started with, which a system-aware program lays itself out for.
    static UINT SessionDpi() {
        ScreenDc screen;
        return static_cast<UINT>(GetDeviceCaps(screen.dc, LOGPIXELSX));
    }

private:
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    static SetContext Set() {
        return reinterpret_cast<SetContext>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
    }
    DPI_AWARENESS_CONTEXT m_old = nullptr;
};
} // namespace

// A system reads its DPI when the user signs in and keeps it until they sign in again: the ctest
// entry e2e_dpi144 starts a session of its own at 144 (150 %) for this test.
TEST(PictureFrame, AtOneHundredAndFiftyPercentThePictureGrowsWithTheFrame) {
    ScreenPixels screenPixels;
    if (ScreenPixels::SessionDpi() != 144)
        GTEST_SKIP() << "the session runs at " << ScreenPixels::SessionDpi() << " DPI, not 144 (ctest: e2e_dpi144)";
    AddonLayout layout;
    layout.WriteIni("bitmap_file=splash.bmp\r\n");
    const COLORREF red = RGB(200, 30, 60);
    layout.Program().WriteFile("splash.bmp", BitmapFile(100, 80, [&](int, int) { return red; }));
    PictureRun run(layout, layout.ProgramDir());
    ASSERT_NE(run.window, nullptr);
    EXPECT_EQ(ScreenPixels::WindowDpi(run.window), 144u) << "the window was not laid out for the DPI setting";
    RECT client;
    GetClientRect(run.frame, &client);
    ASSERT_GT(client.right, 400) << "the frame did not grow: is the DPI setting read?";
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_TRUE(WaitUntil([&] {
        ScreenShot shot(run.frame, 0);
        return shot.At(0, 0) == red && shot.At(147, 117) == red && shot.At(153, 40) == face &&
               shot.At(40, 123) == face;
    }));
    EXPECT_TRUE(run.Exit());
}
