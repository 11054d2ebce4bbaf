// The whole view computed from the state: texts, tips, enabled states, the language list and
// the tray tip, read back from the real controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "console/refresh.h"
#include "console/window.h"
#include "console_fixture.h"
#include "launch.h"
#include "text/language.h"
#include "tunnel/control.h"
#include "tunnel/library.h"
#include "tunnel/state.h"

namespace {

std::wstring TipOf(HWND control) {
    wchar_t buffer[1024] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = buffer;
    SendMessageW(tooltip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

std::vector<std::wstring> ListItems() {
    std::vector<std::wstring> items;
    const auto count = SendMessageW(values[4], CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[64] = {};
        SendMessageW(values[4], CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    return items;
}

class RefreshTest : public testing::Test {
protected:
    void SetUp() override {
        language = "en";
        tunnelID = L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
        CreateTestConsole();
    }
    void TearDown() override {
        sdk = nullptr;
        running = false;
        peers.clear();
        loginState = "disconnected";
        DestroyTestConsole();
    }
};

TEST_F(RefreshTest, NoPeerShowsDashesAndNoDeviceWithEmptyTips) {
    Refresh();
    EXPECT_EQ(Text(window), L"TAMBRIX D2I Duzozur");
    EXPECT_EQ(Text(labels[0]), L"Device ID");
    EXPECT_EQ(Text(labels[4]), L"Language");
    EXPECT_EQ(Text(values[0]), L"\u2014");
    EXPECT_EQ(Text(values[1]), tunnelID);
    EXPECT_EQ(Text(values[2]), L"Disconnected");
    EXPECT_EQ(Text(values[3]), L"No device connected");
    EXPECT_EQ(TipOf(values[0]), L"");
    EXPECT_EQ(TipOf(values[1]), tunnelID);
    EXPECT_EQ(TipOf(values[3]), L"");
    EXPECT_EQ(TipOf(logButton), L"Open log folder");
    EXPECT_EQ(TipOf(copyDevice), L"Copy device ID");
    EXPECT_EQ(TipOf(copyTunnel), L"Copy tunnel ID");
    EXPECT_EQ(Text(startButton), L"Start Connection");
    EXPECT_EQ(Text(stopButton), L"Stop Connection");
    EXPECT_EQ(Text(quitButton), L"Quit App");
    EXPECT_FALSE(IsWindowEnabled(copyDevice));
    EXPECT_TRUE(IsWindowEnabled(copyTunnel));
    EXPECT_TRUE(IsWindowEnabled(logButton));
}

TEST_F(RefreshTest, PeersShowInByteOrderNotArrivalOrderWithTheirTypes) {
    running = true;
    peers["peer-b"] = 128;  // reported first
    peers["peer-a"] = 0;    // sorts first, its type not yet known
    Refresh();
    EXPECT_EQ(Text(values[0]), L"peer-a\r\npeer-b");
    EXPECT_EQ(TipOf(values[0]), L"peer-a\r\npeer-b");
    EXPECT_EQ(Text(values[3]), L"Detecting connection type, P2P direct");
    EXPECT_EQ(TipOf(values[3]), L"Detecting connection type, P2P direct");
    EXPECT_TRUE(IsWindowEnabled(copyDevice));
}

TEST_F(RefreshTest, TypeNumbersShowTheirTexts) {
    running = true;
    const struct {
        ConnectionType type;
        const wchar_t* text;
    } cases[] = {{65535, L"Device offline"}, {24, L"P2P peer forwarding"}, {130, L"P2P peer forwarding"},
                 {9, L"Detecting connection type"}, {4294967295u, L"Detecting connection type"}};
    for (const auto& c : cases) {
        peers = {{"x", c.type}};
        Refresh();
        EXPECT_EQ(Text(values[3]), c.text) << c.type;
        EXPECT_EQ(Text(values[0]), L"x") << "an offline peer is still listed";
    }
}

TEST_F(RefreshTest, EnabledStatesFollowTheLibraryAndTheRunningFlag) {
    const HMODULE loaded = GetModuleHandleW(nullptr);
    const struct {
        HMODULE library;
        bool isRunning;
        bool start, stop;
    } cases[] = {
        {nullptr, false, false, false},
        {loaded, false, true, false},
        {loaded, true, false, true},
        {nullptr, true, false, true},
    };
    for (const auto& c : cases) {
        sdk = c.library;
        running = c.isRunning;
        Refresh();
        EXPECT_EQ(IsWindowEnabled(startButton) != FALSE, c.start) << c.library << " " << c.isRunning;
        EXPECT_EQ(IsWindowEnabled(stopButton) != FALSE, c.stop) << c.library << " " << c.isRunning;
    }
}

TEST_F(RefreshTest, EveryLanguageChangesTranslatedTextsAndKeepsNativeNames) {
    const struct {
        const char* code;
        const wchar_t* title;
        const wchar_t* caption;
        const wchar_t* firstItem;
        const wchar_t* tip;
    } cases[] = {
        {"zh", L"TAMBRIX P2P 控制台", L"设备 ID", L"跟随系统", L"TAMBRIX P2P 控制台 \u2014 未连接"},
        {"en", L"TAMBRIX D2I Duzozur", L"Device ID", L"System default", L"TAMBRIX D2I Duzozur \u2014 Disconnected"},
        {"fr", L"Console P2P TAMBRIX", L"ID de l\u2019appareil", L"Langue du syst\u00e8me",
         L"Console P2P TAMBRIX \u2014 D\u00e9connect\u00e9"},
        {"de", L"TAMBRIX P2P-Konsole", L"Ger\u00e4te-ID", L"Systemsprache", L"TAMBRIX P2P-Konsole \u2014 Getrennt"},
        {"ja", L"TAMBRIX P2P コンソール", L"デバイス ID", L"システム設定に従う", L"TAMBRIX P2P コンソール \u2014 未接続"},
        {"ko", L"TAMBRIX P2P 콘솔", L"기기 ID", L"시스템 설정", L"TAMBRIX P2P 콘솔 \u2014 연결 안 됨"},
    };
    const std::vector<std::wstring> native = {L"中文", L"English", L"Fran\u00e7ais", L"Deutsch", L"日本語", L"한국어"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        language = c.code;
        Refresh();
        EXPECT_EQ(Text(window), c.title) << c.code;
        EXPECT_EQ(Text(labels[0]), c.caption) << c.code;
        EXPECT_EQ(Text(values[1]), tunnelID) << c.code;
        EXPECT_EQ(std::wstring(tray.szTip), c.tip) << c.code;
        const auto items = ListItems();
        ASSERT_EQ(items.size(), 7u) << c.code;
        EXPECT_EQ(items[0], c.firstItem) << c.code;
        EXPECT_EQ(std::vector<std::wstring>(items.begin() + 1, items.end()), native) << c.code;
        EXPECT_EQ(SendMessageW(values[4], CB_GETCURSEL, 0, 0), LRESULT(i + 1)) << c.code;
    }
}

TEST_F(RefreshTest, SelectionMarksTheChoice) {
    const struct {
        const char* code;
        LRESULT selection;
    } cases[] = {{"", 0}, {"ko", 6}, {"zh", 1}, {"en", 2}};
    for (const auto& c : cases) {
        language = c.code;
        Refresh();
        EXPECT_EQ(SendMessageW(values[4], CB_GETCURSEL, 0, 0), c.selection) << c.code;
    }
}

TEST_F(RefreshTest, TwoCallsLeaveSevenItemsAndTheSameTexts) {
    peers = {{"p", 5}};
    running = true;
    Refresh();
    const std::wstring first = Text(values[3]) + Text(window) + tray.szTip;
    Refresh();
    EXPECT_EQ(ListItems().size(), 7u);
    EXPECT_EQ(Text(values[3]) + Text(window) + tray.szTip, first);
    EXPECT_EQ(RedrawCount(), 2);
}

TEST_F(RefreshTest, TrayTipIsCutAfter127Units) {
    // A state key outside the table shows as the key itself, which makes a tip of any length.
    const struct {
        size_t keyLength;
        size_t tipLength;
    } cases[] = {{10, 32}, {105, 127}, {106, 127}, {300, 127}};
    const std::wstring head = L"TAMBRIX D2I Duzozur \u2014 ";  // 22 units
    for (const auto& c : cases) {
        loginState = std::string(c.keyLength, 'k');
        Refresh();
        const std::wstring tip = tray.szTip;
        EXPECT_EQ(tip.size(), c.tipLength) << c.keyLength;
        EXPECT_EQ(tip, (head + std::wstring(c.keyLength, L'k')).substr(0, 127)) << c.keyLength;
    }
}

}  // namespace
