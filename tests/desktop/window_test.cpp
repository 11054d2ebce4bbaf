// The creation sequence on real windows: what is created, in which order, where, and how.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "console/window.h"
#include "console_fixture.h"

namespace {

struct Expected {
    const wchar_t* cls;
    int id;
    DWORD style;  // bits that must be set besides WS_CHILD | WS_VISIBLE
    int x, y, w, h;
};

// In creation order, which is also the tab order.
const std::vector<Expected> CONTROLS = {
    {L"Button", 106, WS_TABSTOP | BS_OWNERDRAW, 608, 8, 32, 28},
    {L"Static", 0, 0, 20, 50, 140, 26},
    {L"Static", 0, SS_PATHELLIPSIS | SS_NOTIFY | SS_NOPREFIX, 168, 50, 432, 26},
    {L"Static", 0, 0, 20, 92, 140, 26},
    {L"Static", 0, SS_PATHELLIPSIS | SS_NOTIFY | SS_NOPREFIX, 168, 92, 432, 26},
    {L"Static", 0, 0, 20, 134, 140, 26},
    {L"Static", 0, SS_PATHELLIPSIS | SS_NOTIFY | SS_NOPREFIX, 168, 134, 432, 26},
    {L"Static", 0, 0, 20, 176, 140, 26},
    {L"Static", 0, SS_PATHELLIPSIS | SS_NOTIFY | SS_NOPREFIX, 168, 176, 432, 26},
    {L"Static", 0, 0, 20, 218, 140, 26},
    {L"ComboBox", 107, WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 168, 218, 220, 230},
    {L"Button", 104, WS_TABSTOP | BS_OWNERDRAW, 608, 46, 32, 28},
    {L"Button", 105, WS_TABSTOP | BS_OWNERDRAW, 608, 88, 32, 28},
    {L"Button", 101, WS_TABSTOP, 20, 272, 198, 30},
    {L"Button", 102, WS_TABSTOP, 230, 272, 198, 30},
    {L"Button", 103, WS_TABSTOP, 440, 272, 200, 30},
};

std::vector<HWND> Children() {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

RECT ClientRectOf(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Scaled(int length) { return static_cast<int>(length * uiScale); }

class CreationTest : public testing::TestWithParam<double> {
protected:
    void SetUp() override {
        uiScale = GetParam();
        CreateTestConsole();
    }
    void TearDown() override { DestroyTestConsole(); }
};

TEST_P(CreationTest, ClientAreaAndFontFollowTheScale) {
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Scaled(660));
    EXPECT_EQ(client.bottom, Scaled(316));
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof logFont, &logFont);
    EXPECT_EQ(logFont.lfHeight, -Scaled(16));
    EXPECT_STREQ(logFont.lfFaceName, L"Segoe UI");
    EXPECT_EQ(logFont.lfQuality, CLEARTYPE_QUALITY);

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_FALSE(IsWindowVisible(window)) << "the window is shown only after the first redraw";
}

TEST_P(CreationTest, ControlsStandInCreationOrderWithTheirClassesIdsStylesAndRectangles) {
    const auto children = Children();
    ASSERT_EQ(children.size(), CONTROLS.size());
    for (size_t i = 0; i < CONTROLS.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control " << i + 1);
        const Expected& expected = CONTROLS[i];
        HWND child = children[i];
        EXPECT_EQ(_wcsicmp(ClassOf(child).c_str(), expected.cls), 0) << ClassOf(child).c_str();
        EXPECT_EQ(GetDlgCtrlID(child), expected.id);
        // The combo box hands WS_VSCROLL on to its list, so it is not asked of the field.
        const DWORD wanted = (expected.style & ~DWORD(expected.id == 107 ? WS_VSCROLL : 0)) | WS_CHILD | WS_VISIBLE;
        const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        EXPECT_EQ(style & wanted, wanted);
        EXPECT_EQ(SendMessageW(child, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
        EXPECT_EQ(GetWindowTextLengthW(child), 0) << "texts come from the first redraw";

        const RECT rect = ClientRectOf(child);
        EXPECT_EQ(rect.left, Scaled(expected.x));
        EXPECT_EQ(rect.top, Scaled(expected.y));
        EXPECT_EQ(rect.right - rect.left, Scaled(expected.w));
        // A drop-down list is as tall as its field; its given height is that of the open list.
        if (expected.id != 107) {
            EXPECT_EQ(rect.bottom - rect.top, Scaled(expected.h));
        }
    }
    EXPECT_EQ(children[0], logButton);
    EXPECT_EQ(children[10], values[4]);
    EXPECT_EQ(children[15], quitButton);
}

TEST_P(CreationTest, SixToolsWithEmptyTipsOnTheControlsThatHaveOne) {
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 6);
    for (HWND control : {logButton, copyDevice, copyTunnel, values[0], values[1], values[3], values[2],
                         labels[0], startButton}) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        const bool expected = control != values[2] && control != labels[0] && control != startButton;
        EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != 0, expected);
        if (expected) {
            EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND | TTF_SUBCLASS));
        }
    }
    const LONG style = GetWindowLongW(tooltip, GWL_STYLE);
    EXPECT_TRUE(style & TTS_ALWAYSTIP);
    EXPECT_TRUE(style & TTS_NOPREFIX) << "an & in a device ID must show";
    EXPECT_GT(SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0), 0) << "several IDs show one per line";
    EXPECT_EQ(GetWindow(tooltip, GW_OWNER), window);
}

TEST_P(CreationTest, TrayRecordCarriesTheWindowIconAndCallbackWithAnEmptyTip) {
    EXPECT_EQ(tray.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(tray.hWnd, window);
    EXPECT_EQ(tray.uID, 1u);
    EXPECT_EQ(tray.uFlags, UINT(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(tray.uCallbackMessage, 0x8002u);
    EXPECT_EQ(tray.hIcon, reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)));
    EXPECT_EQ(tray.szTip[0], L'\0');
}

INSTANTIATE_TEST_SUITE_P(Scales, CreationTest, testing::Values(1.0, 1.25, 1.5),
                         [](const testing::TestParamInfo<double>& info) {
                             return "Percent" + std::to_string(static_cast<int>(info.param * 100));
                         });

// Each coordinate is truncated on its own, so an edge is never computed from a scaled edge.
TEST(CreationAt120Dpi, RowZeroValueLiesAt210By62With540By32) {
    uiScale = 1.25;
    CreateTestConsole();
    const RECT rect = ClientRectOf(values[0]);
    EXPECT_EQ(rect.left, 210);
    EXPECT_EQ(rect.top, 62);
    EXPECT_EQ(rect.right - rect.left, 540);
    EXPECT_EQ(rect.bottom - rect.top, 32);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 825);
    EXPECT_EQ(client.bottom, 395);
    DestroyTestConsole();
}

}  // namespace
