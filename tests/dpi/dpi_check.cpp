// Runs in a Wine prefix whose screen is set to 120 DPI (ctest gives it WINEPREFIX): the real
// console takes its scale from the screen and lays itself out at 1.25.
#include <gtest/gtest.h>
#include <windows.h>

#include "launch.h"

namespace {

RECT RectIn(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(At120Dpi, TheConsoleScalesItsWindowAndControlsByOneAndAQuarter) {
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 120) << "the prefix is not set to 120 DPI";
    ReleaseDC(nullptr, screen);

    ClearDataFolder();
    const Console console = Launch(LayOut(L"dpi120", Library::STANDIN, std::string("start-result 0\n")));
    HWND main = WaitForMainWindow(console);
    ASSERT_TRUE(main);

    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 825);
    EXPECT_EQ(client.bottom, 395);

    // Each coordinate is scaled and truncated on its own: 62.5 and 32.5 give 62 and 32.
    const struct {
        int child;
        RECT expected;  // left, top, right, bottom
    } cases[] = {
        {0, {760, 10, 800, 45}},                     // log button: 608, 8, 32, 28
        {CHILD_VALUE_ROW_0, {210, 62, 750, 94}},     // 168, 50, 432, 26
        {CHILD_START, {25, 340, 272, 377}},          // 20, 272, 198, 30
        {CHILD_QUIT, {550, 340, 800, 377}},          // 440, 272, 200, 30
    };
    for (const auto& c : cases) {
        const RECT rect = RectIn(main, ChildAt(main, c.child));
        EXPECT_EQ(rect.left, c.expected.left) << c.child;
        EXPECT_EQ(rect.top, c.expected.top) << c.child;
        EXPECT_EQ(rect.right - rect.left, c.expected.right - c.expected.left) << c.child;
        EXPECT_EQ(rect.bottom - rect.top, c.expected.bottom - c.expected.top) << c.child;
    }
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}

}  // namespace
