// The resources of the built console executable, read back through the system's own loaders.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

std::filesystem::path ConsoleExe() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / L"TAMBRIXP2PConsole.exe";
}

struct ResourceTest : ::testing::Test {
    HMODULE module = nullptr;
    void SetUp() override {
        module = LoadLibraryExW(ConsoleExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "cannot load " << ConsoleExe();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    std::string Bytes(LPCWSTR type, LPCWSTR name) {
        const HRSRC found = FindResourceExW(module, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!found) return {};
        const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(data, SizeofResource(module, found));
    }
};

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::set<WORD>*>(list)->insert(language);
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR list) {
    auto& names = *reinterpret_cast<std::vector<std::pair<ULONG_PTR, std::set<WORD>>>*>(list);
    std::set<WORD> languages;
    EnumResourceLanguagesW(module, type, name, AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    // A name given as text would show up as a pointer, never as 1.
    names.push_back({reinterpret_cast<ULONG_PTR>(name), languages});
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE, LPWSTR type, LONG_PTR list) {
    reinterpret_cast<std::set<ULONG_PTR>*>(list)->insert(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

TEST_F(ResourceTest, OneOfEachKindNumberedOneInUsEnglish) {
    std::set<ULONG_PTR> types;
    EnumResourceTypesW(module, AddType, reinterpret_cast<LONG_PTR>(&types));
    // No dialogs, menus or string tables: every text comes from the translation table.
    EXPECT_EQ(types, (std::set<ULONG_PTR>{3, 14, 16, 24}));  // icon, group icon, version, manifest
    for (ULONG_PTR type : types) {
        std::vector<std::pair<ULONG_PTR, std::set<WORD>>> names;
        EnumResourceNamesW(module, MAKEINTRESOURCEW(type), AddName, reinterpret_cast<LONG_PTR>(&names));
        ASSERT_EQ(names.size(), 1u) << "resource type " << type;
        EXPECT_EQ(names[0].first, 1u) << "resource type " << type;
        EXPECT_EQ(names[0].second, std::set<WORD>{0x0409}) << "resource type " << type;
    }
}

TEST(VersionBlock, NumbersAndStringsReadBack) {
    const auto exe = ConsoleExe();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const struct {
        const char* field;
        DWORD actual, expected;
    } numbers[] = {
        {"file version, high", fixed->dwFileVersionMS, 0x00000001},   // 0.1
        {"file version, low", fixed->dwFileVersionLS, 0x000B0000},    // 11.0
        {"product version, high", fixed->dwProductVersionMS, 0x00000001},
        {"product version, low", fixed->dwProductVersionLS, 0x000B0000},
        {"flags mask", fixed->dwFileFlagsMask, 0},
        {"flags", fixed->dwFileFlags, 0},
        {"operating system", fixed->dwFileOS, VOS_NT_WINDOWS32},
        {"type", fixed->dwFileType, VFT_APP},
        {"subtype", fixed->dwFileSubtype, 0},
        {"date, high", fixed->dwFileDateMS, 0},
        {"date, low", fixed->dwFileDateLS, 0},
    };
    for (const auto& n : numbers) EXPECT_EQ(n.actual, n.expected) << n.field;

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"CompanyName", L"DULMOR"},
        {L"FileDescription", L"TAMBRIX D2I Duzozur"},
        {L"FileVersion", L"0.1.11.0"},
        {L"ProductName", L"TAMBRIX D2I Duzozur"},
        {L"ProductVersion", L"0.1.11.0"},
        {L"OriginalFilename", L"TAMBRIXP2PConsole.exe"},
    };
    for (const auto& s : strings) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.name;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
            << std::filesystem::path(s.name);
        EXPECT_EQ(std::wstring(value), s.value) << std::filesystem::path(s.name);
    }

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);  // one language and code-page pair
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(ResourceTest, IconIsOne256PixelPngWithAlpha) {
    // The group entry: width and height 0 (256), 1 plane, 32 bits, image 1.
    const std::string group = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_EQ(group.size(), 6u + 14u);
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(group[i]); };
    const auto word = [&](std::size_t i) { return byte(i) | byte(i + 1) << 8; };
    EXPECT_EQ(word(2), 1);  // icons
    EXPECT_EQ(word(4), 1);  // one entry
    EXPECT_EQ(byte(6), 0);
    EXPECT_EQ(byte(7), 0);
    EXPECT_EQ(word(10), 1);
    EXPECT_EQ(word(12), 32);
    EXPECT_EQ(word(18), 1);

    // The image: PNG, 256 x 256, 8 bits per channel, RGBA.
    const std::string image = Bytes(RT_ICON, MAKEINTRESOURCEW(1));
    ASSERT_GT(image.size(), 33u);
    EXPECT_EQ(image.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(image.substr(12, 4), "IHDR");
    EXPECT_EQ(image.substr(16, 8), std::string("\0\0\1\0\0\0\1\0", 8));
    EXPECT_EQ(image[24], 8);
    EXPECT_EQ(image[25], 6);

    // The system's loader decodes it at full size, with transparent corners and an opaque middle.
    const HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, 256, 256, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour = {};
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, 256);
    EXPECT_EQ(colour.bmHeight, 256);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    const HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bitmapInfo = {};
    bitmapInfo.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bitmapInfo.bmiHeader.biWidth = 256;
    bitmapInfo.bmiHeader.biHeight = -256;  // top-down
    bitmapInfo.bmiHeader.biPlanes = 1;
    bitmapInfo.bmiHeader.biBitCount = 32;
    bitmapInfo.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const DWORD MAGENTA = 0x00FF00FF;
    std::fill_n(static_cast<DWORD*>(bits), 256 * 256, MAGENTA);
    DrawIconEx(dc, 0, 0, icon, 256, 256, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto at = [&](int x, int y) { return static_cast<DWORD*>(bits)[y * 256 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), MAGENTA);
    EXPECT_EQ(at(255, 255), MAGENTA);
    EXPECT_NE(at(128, 128), MAGENTA);
    EXPECT_NE(at(20, 128), MAGENTA);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyIcon(icon);
}

TEST_F(ResourceTest, ManifestAsksForCommonControls6AndDpiAwareness) {
    const std::string manifest = Bytes(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.rfind(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)", 0), 0u);
    const char* const parts[] = {
        R"(manifestVersion="1.0")",
        R"(<assemblyIdentity type="win32" name="TAMBRIX.P2P.Console" version="0.1.11.0" processorArchitecture="amd64"/>)",
        R"(<description>TAMBRIX D2I Duzozur</description>)",
        R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*")",
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",
        R"(xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings")",
        R"(<dpiAware>true</dpiAware>)",
    };
    for (const char* part : parts) EXPECT_NE(manifest.find(part), std::string::npos) << part;

    // The system's own parser accepts it and, with it, hands out common controls 6 from the
    // side-by-side store rather than the system folder's version 5.
    const auto exe = ConsoleExe();
    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = exe.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    const HMODULE controls = LoadLibraryW(L"comctl32.dll");
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(controls, path, MAX_PATH);
    FreeLibrary(controls);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
    std::wstring lower(path);
    for (auto& c : lower) c = towlower(c);
    EXPECT_NE(lower.find(L"winsxs"), std::wstring::npos) << std::filesystem::path(path);
}

}  // namespace
