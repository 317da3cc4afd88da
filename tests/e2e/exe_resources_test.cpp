// What the built installer carries for Windows: its manifest, its version block and its About box.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "AddonLayout.h"
#include "Driver.h"
#include "support/TempFolder.h"

namespace {
// The exe's resources, read as data: nothing of it runs.
class ExeResources {
public:
    explicit ExeResources(const char* exe = KS_INSTALLER_EXE)
        : m_module(LoadLibraryExA(WindowsPath(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~ExeResources() {
        if (m_module)
            FreeLibrary(m_module);
    }
    ExeResources(const ExeResources&) = delete;
    ExeResources& operator=(const ExeResources&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    std::string Bytes(LPCSTR type, LPCSTR name) const {
        HRSRC info = FindResourceA(m_module, name, type);
        HGLOBAL data = info ? LoadResource(m_module, info) : nullptr;
        const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
        return bytes ? std::string(bytes, SizeofResource(m_module, info)) : std::string();
    }

private:
    HMODULE m_module;
};

// The first element of this name with its attributes, or empty.
std::string Element(const std::string& xml, const std::string& name) {
    std::string::size_type start = xml.find("<" + name + " ");
    if (start == std::string::npos)
        start = xml.find("<" + name + ">");
    if (start == std::string::npos)
        return std::string();
    std::string::size_type end = xml.find("</" + name + ">", start);
    if (end == std::string::npos)
        end = xml.find("/>", start);
    return end == std::string::npos ? std::string() : xml.substr(start, end - start);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string VersionText(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
           std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

// One control of a DIALOGEX template: what the resource compiler wrote for it.
struct TemplateItem {
    DWORD style;
    short cx, cy;
    std::wstring text; // an ordinal reads as "#n"
};

std::vector<TemplateItem> TemplateItems(const std::string& bytes) {
    std::vector<TemplateItem> items;
    const char* data = bytes.data();
    size_t at = 0;
    auto word = [&] {
        WORD w = 0;
        memcpy(&w, data + at, 2);
        at += 2;
        return w;
    };
    auto text = [&] {
        std::wstring s;
        if (word() == 0xFFFF)
            return L"#" + std::to_wstring(word());
        at -= 2;
        for (WORD c; (c = word()) != 0;)
            s += static_cast<wchar_t>(c);
        return s;
    };
    if (bytes.size() < 26)
        return items;
    DWORD style;
    memcpy(&style, data + 12, 4);
    WORD count;
    memcpy(&count, data + 16, 2);
    at = 26;
    text(); // menu
    text(); // class
    text(); // caption
    if (style & DS_SETFONT) {
        at += 6;
        text();
    }
    for (WORD i = 0; i < count && at < bytes.size(); ++i) {
        at = (at + 3) & ~size_t(3);
        TemplateItem item;
        memcpy(&item.style, data + at + 8, 4);
        memcpy(&item.cx, data + at + 16, 2);
        memcpy(&item.cy, data + at + 18, 2);
        at += 24;
        text(); // class
        item.text = text();
        WORD extra = word();
        at += extra;
        items.push_back(item);
    }
    return items;
}

// The image of this size in an .ico file, as its directory entry says.
std::string IcoImage(const std::string& ico, BYTE width) {
    for (size_t entry = 6; entry + 16 <= ico.size() && entry < 6 + 16 * size_t(ico[4]); entry += 16) {
        if (BYTE(ico[entry]) != width)
            continue;
        DWORD size;
        DWORD offset;
        memcpy(&size, ico.data() + entry + 8, 4);
        memcpy(&offset, ico.data() + entry + 12, 4);
        return offset + size <= ico.size() ? ico.substr(offset, size) : std::string();
    }
    return std::string();
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
    reinterpret_cast<std::vector<std::string>*>(texts)->push_back(Driver::Text(child));
    return TRUE;
}
} // namespace

TEST(ExeResources, ManifestAsksForHighestAvailableStylesSystemDpiAndNamesTheSupportedSystems) {
    ExeResources exe;
    ASSERT_TRUE(exe.Loaded());
    std::string manifest = exe.Bytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_FALSE(manifest.empty());

    std::string level = Element(manifest, "requestedExecutionLevel");
    EXPECT_TRUE(Has(level, "level=\"highestAvailable\"")) << level;
    EXPECT_TRUE(Has(level, "uiAccess=\"false\"")) << level;

    std::string controls = Element(Element(manifest, "dependentAssembly"), "assemblyIdentity");
    EXPECT_TRUE(Has(controls, "name=\"Microsoft.Windows.Common-Controls\"")) << controls;
    EXPECT_TRUE(Has(controls, "version=\"6.0.0.0\"")) << controls;
    EXPECT_TRUE(Has(controls, "publicKeyToken=\"6595b64144ccf1df\"")) << controls;

    EXPECT_TRUE(Has(Element(manifest, "dpiAware"), ">true")) << Element(manifest, "dpiAware");
    EXPECT_TRUE(Has(Element(manifest, "dpiAwareness"), ">system")) << Element(manifest, "dpiAwareness");

    // Windows 7, 8, 8.1 and 10/11: without an entry a later system treats the program as older.
    for (const char* id :
         {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
          "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_TRUE(Has(manifest, std::string("<supportedOS Id=\"") + id + "\"/>")) << id;
}

TEST(ExeResources, VersionBlockAndAboutBoxCarryTheProjectVersion) {
    ExeResources exe;
    ASSERT_TRUE(exe.Loaded());
    std::string block = exe.Bytes(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));
    const DWORD signature = 0xFEEF04BD;
    std::string::size_type at = block.find(std::string(reinterpret_cast<const char*>(&signature), 4));
    ASSERT_NE(at, std::string::npos);
    ASSERT_LE(at + sizeof(VS_FIXEDFILEINFO), block.size());
    VS_FIXEDFILEINFO fixed;
    memcpy(&fixed, block.data() + at, sizeof fixed);
    EXPECT_EQ(VersionText(fixed.dwFileVersionMS, fixed.dwFileVersionLS), KS_PROJECT_VERSION);
    EXPECT_EQ(VersionText(fixed.dwProductVersionMS, fixed.dwProductVersionLS), KS_PROJECT_VERSION);
    // The texts of the string table, in UTF-16 as the block holds them.
    std::wstring wide;
    for (const char* c = KS_PROJECT_VERSION; *c; ++c)
        wide += static_cast<wchar_t>(*c);
    std::string wideBytes(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    std::string::size_type first = block.find(wideBytes);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(block.find(wideBytes, first + 1), std::string::npos) << "FileVersion and ProductVersion";

    // The icon keeps its 20 x 20 and the first text line starts a group without prefix handling.
    std::vector<TemplateItem> items = TemplateItems(exe.Bytes(RT_DIALOG, MAKEINTRESOURCEA(100)));
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[0].style & SS_TYPEMASK, DWORD(SS_ICON));
    EXPECT_EQ(items[0].cx, 20);
    EXPECT_EQ(items[0].cy, 20);
    EXPECT_TRUE(items[1].text == L"KSConvert Version 1.0");
    EXPECT_EQ(items[1].style & (SS_NOPREFIX | WS_GROUP | WS_VISIBLE),
              DWORD(SS_NOPREFIX | WS_GROUP | WS_VISIBLE));

    AddonLayout layout;
    Driver driver;
    ASSERT_TRUE(driver.Start(layout.Exe(), layout.ProgramDir()));
    HWND window = driver.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_SYSCOMMAND, 16, 0);
    HWND about = driver.WaitForDialog("About KSConvert");
    ASSERT_NE(about, nullptr);
    std::vector<std::string> texts;
    EnumChildWindows(about, CollectText, reinterpret_cast<LPARAM>(&texts));
    EXPECT_NE(
        std::find(texts.begin(), texts.end(), std::string("Add-on installer, version ") + KS_PROJECT_VERSION),
        texts.end());
    EXPECT_TRUE(Driver::Dismiss(about, IDOK));
    Driver::Click(window, IDOK);
    EXPECT_TRUE(driver.WaitForExit());
}

// Each .rc file numbers its icon images from 1; linked together, one image of each clashing
// pair was dropped and a group icon showed another file's picture.
TEST(ExeResources, EveryGroupIconShowsTheImagesOfItsOwnFile) {
    struct Icon {
        const char* exe;
        int group;
        const char* file;
    };
    const Icon icons[] = {{KS_INSTALLER_EXE, 128, "KSInstaller.ico"},
                          {KS_INSTALLER_EXE, 134, "FolderClosed.ico"},
                          {KS_INSTALLER_EXE, 135, "FolderOpen.ico"},
                          {KS_CHOOSE_DIR_EXE, 134, "FolderClosed.ico"},
                          {KS_CHOOSE_DIR_EXE, 135, "FolderOpen.ico"}};
    for (const Icon& icon : icons) {
        SCOPED_TRACE(std::string(icon.exe) + " " + icon.file);
        ExeResources exe(icon.exe);
        ASSERT_TRUE(exe.Loaded());
        std::string ico = ReadWholeFile(WindowsPath(std::string(KS_SOURCE_DIR "/res/") + icon.file));
        std::string group = exe.Bytes(RT_GROUP_ICON, MAKEINTRESOURCEA(icon.group));
        ASSERT_GE(group.size(), 6u);
        WORD count;
        memcpy(&count, group.data() + 4, 2);
        ASSERT_EQ(count, 2) << "a 32 and a 16 pixel image";
        ASSERT_GE(group.size(), 6u + 14u * count);
        for (WORD i = 0; i < count; ++i) {
            const char* entry = group.data() + 6 + 14 * i;
            WORD id;
            memcpy(&id, entry + 12, 2);
            std::string expected = IcoImage(ico, BYTE(entry[0]));
            ASSERT_FALSE(expected.empty());
            EXPECT_TRUE(exe.Bytes(RT_ICON, MAKEINTRESOURCEA(id)) == expected)
                << "image " << id << " of " << int(BYTE(entry[0])) << " pixels";
        }
    }
}
