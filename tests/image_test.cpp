// The programs' files read as data, each build's own and, from the 64-bit tests, the 32-bit one
// too: a host that cannot run a build still checks what it would run. HQ_IMAGES lists them as
// "build=path,..."; a program that is listed but was not built fails.
#include <cwchar>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PeImage.h"
#include "Templates.h"
#include "res/resource.h"

namespace {

struct Image
{
    std::string build;      // x86 or x64
    std::wstring path;
};

std::vector<Image> ListedImages()
{
    std::vector<Image> images;
    const char* list = getenv("HQ_IMAGES");
    for (std::string rest = list ? list : ""; !rest.empty();) {
        size_t comma = rest.find(',');
        std::string entry = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        size_t equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        std::string path = entry.substr(equals + 1);
        images.push_back({ entry.substr(0, equals), std::wstring(path.begin(), path.end()) });
    }
    return images;
}

class ImageTest : public testing::TestWithParam<Image>
{
protected:
    void SetUp() override
    {
        m_bytes = ReadWholeFile(GetParam().path);
        ASSERT_FALSE(m_bytes.empty()) << "the " << GetParam().build << " program was not built";
        std::string error;
        ASSERT_TRUE(ReadPeImage(m_bytes, m_pe, error)) << error;
        // Resources only: the image is mapped, never run, whatever its machine type.
        m_module = LoadLibraryExW(GetParam().path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(m_module) << "cannot map the program's resources, error " << GetLastError();
    }
    void TearDown() override
    {
        if (m_module)
            FreeLibrary(m_module);
    }

    bool Is64Bit() const { return GetParam().build == "x64"; }

    std::string Resource(LPCWSTR type, UINT id) const
    {
        HRSRC info = FindResourceW(m_module, MAKEINTRESOURCEW(id), type);
        const char* data = info ? (const char*)LockResource(LoadResource(m_module, info)) : nullptr;
        return data ? std::string(data, SizeofResource(m_module, info)) : std::string();
    }

    std::vector<BYTE> m_bytes;
    PeImage m_pe;
    HMODULE m_module = nullptr;
};

TEST_P(ImageTest, HeadersNameTheBuildsMachineAndTheGuiSubsystem)
{
    EXPECT_EQ(Is64Bit() ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386, m_pe.machine);
    EXPECT_EQ(Is64Bit() ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC, m_pe.magic);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, m_pe.subsystem);
    EXPECT_LE(m_bytes.size(), 64u * 1024) << "the program stays within 64 KB";
    EXPECT_EQ(0u, m_pe.timeDateStamp) << "a build of the same sources gives the same bytes";
}

TEST_P(ImageTest, ImportsSystemLibrariesOnly)
{
    // The registry and the dialog cannot work without these two.
    EXPECT_TRUE(m_pe.imports.count("ADVAPI32.DLL") && m_pe.imports.count("USER32.DLL"));
    const std::set<std::string> system = { "KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL",
                                           "MSVCRT.DLL", "COMDLG32.DLL", "COMCTL32.DLL", "SHELL32.DLL",
                                           "SHLWAPI.DLL" };
    std::vector<std::string> others;
    for (const std::string& name : m_pe.imports)
        if (!system.count(name))
            others.push_back(name);
    EXPECT_EQ(std::vector<std::string>(), others);
}

TEST_P(ImageTest, NamesNoNetworkingLibrary)
{
    // Narrow and wide text alike, in any letter case: a library loaded by name is caught too.
    const std::vector<BYTE>& image = m_bytes;
    std::string narrow, wide;
    for (BYTE b : image)
        narrow += (char)tolower(b);
    for (size_t i = 0; i + 1 < image.size(); i += 2)
        wide += image[i + 1] == 0 ? (char)tolower(image[i]) : '\x01';
    std::string shifted;
    for (size_t i = 1; i + 1 < image.size(); i += 2)
        shifted += image[i + 1] == 0 ? (char)tolower(image[i]) : '\x01';
    std::vector<std::string> named;
    for (const char* library : { "ws2_32", "wsock32", "mswsock", "wininet", "winhttp", "urlmon", "iphlpapi",
                                 "dnsapi", "netapi32", "rasapi32", "httpapi", "websocket", "wnaspi32" }) {
        if (narrow.find(library) != std::string::npos)
            named.push_back(std::string(library) + " in narrow text");
        if (wide.find(library) != std::string::npos || shifted.find(library) != std::string::npos)
            named.push_back(std::string(library) + " in wide text");
    }
    EXPECT_EQ(std::vector<std::string>(), named);
}

TEST_P(ImageTest, VersionBlock)
{
    std::string block = Resource((LPCWSTR)RT_VERSION, 1);
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", (void**)&fixed, &size));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &size));
    ASSERT_EQ(4u, size);
    EXPECT_EQ(0x0404, translation[0]);
    EXPECT_EQ(1200, translation[1]);
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        { L"FileDescription", L"Harvex Quadrell" }, { L"ProductName", L"Harvex Quadrell" },
        { L"FileVersion", L"1.0" },                 { L"ProductVersion", L"1.0" },
        { L"InternalName", L"HarvexQuadrell" },     { L"OriginalFilename", L"HarvexQuadrell.exe" },
    };
    for (const auto& [name, wanted] : strings) {
        wchar_t* value = nullptr;
        std::wstring path = std::wstring(L"\\StringFileInfo\\040404b0\\") + name;
        EXPECT_TRUE(VerQueryValueW(block.data(), path.c_str(), (void**)&value, &size)) << name;
        EXPECT_STREQ(wanted, value ? value : L"(none)");
    }
}

// Windows refuses to start a program whose manifest asks for another architecture's libraries.
TEST_P(ImageTest, ManifestNamesTheBuildsArchitecture)
{
    std::string manifest = Resource((LPCWSTR)RT_MANIFEST, 1);
    ASSERT_FALSE(manifest.empty());
    std::vector<std::string> architectures;
    const std::string attribute = "processorArchitecture=\"";
    for (size_t at = manifest.find(attribute); at != std::string::npos; at = manifest.find(attribute, at + 1)) {
        size_t start = at + attribute.size();
        architectures.push_back(manifest.substr(start, manifest.find('"', start) - start));
    }
    std::string own = Is64Bit() ? "amd64" : "x86";
    EXPECT_EQ(std::vector<std::string>({ own, own }), architectures) << "the program's and Common Controls' identities";
    EXPECT_NE(std::string::npos, manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
}

TEST_P(ImageTest, ApplicationIconHas32And16PixelImagesOf16Colours)
{
    std::string group = Resource((LPCWSTR)RT_GROUP_ICON, IDI_MAIN);
    ASSERT_GE(group.size(), 6u);
    const BYTE* bytes = (const BYTE*)group.data();
    WORD count = (WORD)(bytes[4] | bytes[5] << 8);
    ASSERT_EQ(6u + 14u * count, group.size());
    std::set<std::pair<int, int>> images;     // width, colours
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = bytes + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]) << "square";
        WORD bits = (WORD)(entry[6] | entry[7] << 8);
        images.insert({ entry[0], entry[2] ? entry[2] : 1 << bits });
        WORD iconId = (WORD)(entry[12] | entry[13] << 8);
        EXPECT_FALSE(Resource((LPCWSTR)RT_ICON, iconId).empty()) << "image " << iconId;
    }
    EXPECT_EQ((std::set<std::pair<int, int>>{ { 16, 16 }, { 32, 16 } }), images);
}

TEST_P(ImageTest, StringTableHoldsTheAboutEntryAndNoTitle)
{
    const wchar_t* text = nullptr;
    int length = LoadStringW(m_module, IDS_ABOUT, (LPWSTR)&text, 0);
    EXPECT_EQ(L"關於 Harvex Quadrell...(&A)", std::wstring(text ? text : L"", length > 0 ? length : 0));
    // Without a title string the application is named by its file, which the message boxes show.
    EXPECT_EQ(0, LoadStringW(m_module, 0xE000, (LPWSTR)&text, 0));
}

TEST_P(ImageTest, ConfigTemplateFrameCaptionAndFont)
{
    DialogTemplate t = LoadDialogTemplate(m_module, IDD_CONFIG);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), t.style)
        << std::hex << t.style;
    EXPECT_EQ((DWORD)WS_EX_APPWINDOW, t.exStyle);
    EXPECT_TRUE(SamePlace(RECT{ 0, 0, 308, 257 }, t.place));
    EXPECT_EQ(L"Harvex Quadrell", t.caption);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(FW_NORMAL, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(DEFAULT_CHARSET, t.charset);
    EXPECT_EQ(L"MS Sans Serif", t.face);
}

TEST_P(ImageTest, ConfigTemplateControlsInTabOrderWithIdsStylesCaptionsAndPlaces)
{
    DialogTemplate t = LoadDialogTemplate(m_module, IDD_CONFIG);
    ASSERT_EQ(std::size(ConfigControls), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        const TemplateItem& wanted = ConfigControls[i];
        const TemplateItem& item = t.items[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1 << ", id " << wanted.id);
        EXPECT_EQ(wanted.id, (int)(short)item.id);
        EXPECT_EQ(wanted.classAtom, item.classAtom);
        EXPECT_EQ(wanted.style, item.style) << std::hex << item.style << " wanted " << wanted.style;
        EXPECT_EQ(wanted.caption, item.caption);
        EXPECT_TRUE(SamePlace(wanted.place, item.place));
    }
}

TEST_P(ImageTest, AboutTemplateFrameAndThreeControls)
{
    DialogTemplate t = LoadDialogTemplate(m_module, IDD_ABOUT);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), t.style)
        << std::hex << t.style;
    EXPECT_TRUE(SamePlace(RECT{ 0, 0, 217, 55 }, t.place));
    EXPECT_EQ(L"關於 HarvexAnal", t.caption);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(L"MS Sans Serif", t.face);

    const TemplateItem wanted[] = {
        { -1, StaticAtom, Label | SS_NOPREFIX, L"Harvex Quadrell Version 1.0", { 40, 10, 119, 8 } },
        { -1, StaticAtom, Label, L"", { 40, 25, 164, 16 } },
        { IDOK, ButtonAtom, Child | BS_DEFPUSHBUTTON | WS_TABSTOP, L"確定", { 178, 7, 32, 14 } },
    };
    ASSERT_EQ(std::size(wanted), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control #" << i + 1);
        EXPECT_EQ(wanted[i].id, (int)(short)t.items[i].id);
        EXPECT_EQ(wanted[i].classAtom, t.items[i].classAtom);
        EXPECT_EQ(wanted[i].style, t.items[i].style) << std::hex << t.items[i].style;
        EXPECT_TRUE(SamePlace(wanted[i].place, t.items[i].place));
        if (i != 1) {
            EXPECT_EQ(wanted[i].caption, t.items[i].caption);
        }
    }
    size_t lineBreak = t.items[1].caption.find(L'\n');
    EXPECT_NE(std::wstring::npos, lineBreak) << "the credits take two lines";
    EXPECT_EQ(std::wstring::npos, t.items[1].caption.find(L'\n', lineBreak + 1));
}

INSTANTIATE_TEST_SUITE_P(Builds, ImageTest, testing::ValuesIn(ListedImages()),
                         [](const testing::TestParamInfo<Image>& info) { return info.param.build; });

}  // namespace
