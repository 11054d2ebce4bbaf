// Loading the tunnel library: all four exports or nothing kept.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "tunnel/library.h"

namespace {

// The stand-in libraries are built beside the test programs.
std::filesystem::path BuiltLibrary(const wchar_t* folder) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / folder / L"pgDllTunnel.dll";
}

void* Address(const char* name) { return reinterpret_cast<void*>(GetProcAddress(sdk, name)); }

}  // namespace

TEST(Library, LoadsAllFourExports) {
    const auto path = BuiltLibrary(L"standin");
    ASSERT_TRUE(std::filesystem::exists(path));
    LoadTunnelLibrary(path.c_str());
    ASSERT_NE(sdk, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(sdkStart), Address("pgTunnelStart"));
    EXPECT_EQ(reinterpret_cast<void*>(sdkStop), Address("pgTunnelStop"));
    EXPECT_EQ(reinterpret_cast<void*>(sdkConfig), Address("pgTunnelSetCfgParam"));
    EXPECT_EQ(reinterpret_cast<void*>(sdkCallback), Address("pgTunnelCallbackSet"));
    EXPECT_NE(sdkStart, nullptr);
    FreeLibrary(sdk);
}

TEST(Library, KeepsNothingWhenAnExportOrTheFileIsMissing) {
    const std::filesystem::path cases[] = {
        BuiltLibrary(L"standin-nocallback"),
        BuiltLibrary(L"no-such-folder"),
    };
    for (const auto& path : cases) {
        SCOPED_TRACE(path.string());
        LoadTunnelLibrary(path.c_str());
        EXPECT_EQ(sdk, nullptr);
        EXPECT_EQ(sdkStart, nullptr);
        EXPECT_EQ(sdkStop, nullptr);
        EXPECT_EQ(sdkConfig, nullptr);
        EXPECT_EQ(sdkCallback, nullptr);
        EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);  // released again
    }
}
