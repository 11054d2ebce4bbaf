// The tray icon's menu of the real console, opened by the icon's messages and worked with keys.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/drive.h"
#include "support/launch.h"
#include "support/opened_folders.h"
#include "support/tunnel_trace.h"

namespace {

const std::string SIGN_IN = "after 50 event 2 {\"errcode\":0}\nafter 50 event 5 {\"peerid\":\"PEER-A\"}\n";

HWND ValueRow(HWND window, int row) { return ChildAt(window, CHILD_VALUE_ROW_0 + 2 * row); }

// Items of the menu: show, start or stop, open the data folder, language, (separator), quit.
const std::vector<WORD> TO_LANGUAGES = {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT};

std::vector<WORD> Keys(std::vector<WORD> first, const std::vector<WORD>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Opens the tray menu the way the icon does and types keys into it; false if it never opened.
bool WorkTrayMenu(const Console& console, HWND window, UINT mouse, const std::vector<WORD>& keys) {
    PostTray(window, mouse);
    if (!WaitUntil([&] { return !PopupMenus(console).empty(); })) return false;
    PressMenuKeys(console, keys);
    return true;
}

long Count(const std::vector<std::string>& calls, const char* call) {
    return static_cast<long>(std::count(calls.begin(), calls.end(), call));
}

}  // namespace

TEST(TrayMenuE2E, LanguageChosenFromTheSubmenuIsShownAndSaved) {
    FreshDataFolder("en");
    const Console console = Launch(LayOut(L"traylanguage", Library::STANDIN, SIGN_IN));
    const HWND window = WaitForMainWindow(console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(ValueRow(window, 0)) == L"PEER-A"; }));

    // Entry i of the submenu is i presses down from the first, the system default.
    const std::pair<int, std::string> choices[] = {{4, "de"}, {6, "ko"}, {0, ""}};
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.second.empty() ? "system default" : choice.second);
        std::filesystem::remove(DataFolder() / L"language.txt");
        std::vector<WORD> keys = TO_LANGUAGES;
        keys.insert(keys.end(), choice.first, VK_DOWN);
        keys.push_back(VK_RETURN);
        ASSERT_TRUE(WorkTrayMenu(console, window, WM_RBUTTONUP, keys));

        const std::string shown = choice.second.empty() ? LocaleLanguage() : choice.second;
        EXPECT_TRUE(WaitUntil([&] { return Text(window) == Translated(shown, "app"); })) << Text(window).c_str();
        EXPECT_TRUE(WaitUntil([] { return std::filesystem::exists(DataFolder() / L"language.txt"); }));
        EXPECT_EQ(ReadBytes(DataFolder() / L"language.txt"), choice.second);
        EXPECT_EQ(Text(ChildAt(window, CHILD_START)), Translated(shown, "start"));
        EXPECT_EQ(LanguageListChoice(window), choice.first);
        EXPECT_TRUE(WaitUntil([&] { return PopupMenus(console).empty(); }));
    }
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}

TEST(TrayMenuE2E, DismissedMenuChangesNothing) {
    FreshDataFolder("en");
    const Console console = Launch(LayOut(L"trayescape", Library::STANDIN, SIGN_IN));
    const HWND window = WaitForMainWindow(console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(ValueRow(window, 0)) == L"PEER-A"; }));
    const std::wstring shown = DescribeWindow(window);
    const std::size_t calls = ReadTrace(console.folder).size();

    const struct {
        const char* what;
        UINT mouse;
        std::vector<WORD> keys;
    } cases[] = {
        {"escape", WM_RBUTTONUP, {VK_ESCAPE}},
        {"escape from the submenu", WM_RBUTTONUP, Keys(TO_LANGUAGES, {VK_DOWN, VK_DOWN, VK_ESCAPE, VK_ESCAPE})},
        {"context menu, escape", WM_CONTEXTMENU, {VK_DOWN, VK_DOWN, VK_ESCAPE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WorkTrayMenu(console, window, c.mouse, c.keys));
        EXPECT_TRUE(WaitUntil([&] { return PopupMenus(console).empty(); }));
        ASSERT_TRUE(WaitForPostedCommands(window));
        EXPECT_EQ(DescribeWindow(window), shown);
        EXPECT_EQ(ReadBytes(DataFolder() / L"language.txt"), "en");
        EXPECT_EQ(ReadTrace(console.folder).size(), calls);
        EXPECT_EQ(MessageBoxOf(console), nullptr);
    }
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}

TEST(TrayMenuE2E, ItemsActOnTheConsoleLikeItsButtons) {
    FreshDataFolder("en");
    const Console console = Launch(LayOut(L"trayitems", Library::STANDIN, SIGN_IN));
    const HWND window = WaitForMainWindow(console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(ValueRow(window, 0)) == L"PEER-A"; }));
    const HWND start = ChildAt(window, CHILD_START);

    // The second item is Stop while the tunnel runs and Start while it does not.
    ASSERT_TRUE(WorkTrayMenu(console, window, WM_RBUTTONUP, {VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(start) != FALSE; })) << "stopped";
    EXPECT_EQ(Count(CallNames(ReadTrace(console.folder)), "pgTunnelStop"), 1);

    ASSERT_TRUE(WorkTrayMenu(console, window, WM_RBUTTONUP, {VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(WaitUntil([&] { return Text(ValueRow(window, 0)) == L"PEER-A"; })) << "started again";
    EXPECT_EQ(Count(CallNames(ReadTrace(console.folder)), "pgTunnelStart"), 2);

    // Quit from the menu while the window is hidden: the question brings the window back, and No
    // leaves it shown with the tunnel running.
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    ASSERT_TRUE(WorkTrayMenu(console, window, WM_RBUTTONUP, {VK_UP, VK_RETURN}));
    const HWND question = WaitForMessageBox(console);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    Answer(question, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(console) == nullptr; }));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowEnabled(start)) << "still running";

    // Show, the first item, brings a hidden window back.
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    ASSERT_TRUE(WorkTrayMenu(console, window, WM_RBUTTONUP, {VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));

    // Open log folder, the third item, shows the data folder in the shell.
    ASSERT_TRUE(WorkTrayMenu(console, window, WM_RBUTTONUP, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
    EXPECT_TRUE(OnlyTheDataFolder(CloseFoldersOpenedBy(console, window)));

    EXPECT_EQ(Count(CallNames(ReadTrace(console.folder)), "pgTunnelStop"), 1);
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}
