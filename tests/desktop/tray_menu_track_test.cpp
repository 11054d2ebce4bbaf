// The tray menu opened for real: where it appears, what a choice sends, and what follows it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "console/tray_menu.h"
#include "drive.h"
#include "console/window.h"
#include "text/language.h"
#include "tunnel/state.h"

namespace {

std::vector<WORD> commands;
std::vector<WORD> keys;
RECT menuRect;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Runs inside the menu's modal loop: notes where the menu stands, then types one key per tick
// (the menu takes a burst of queued keys less reliably than a typist's pace).
std::size_t typed = 0;
void CALLBACK TypeKey(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return;
    if (typed == 0) GetWindowRect(popup, &menuRect);
    if (typed == keys.size()) return;
    const WORD key = keys[typed++];
    PostMessageW(popup, WM_KEYDOWN, key, 1);
    PostMessageW(popup, WM_KEYUP, key, 0xC0000001);
    if (typed == keys.size()) KillTimer(nullptr, timer);
}

HWND MakeOwner() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TrayMenuOwner";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"TrayMenuOwner", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

TEST(TrayMenuTrack, OpensAtTheCursorAndSendsTheChosenCommand) {
    window = MakeOwner();
    ASSERT_NE(window, nullptr);
    language = "en";
    POINT cursor;
    GetCursorPos(&cursor);
    const struct {
        bool running;
        std::vector<WORD> keys;
        std::vector<WORD> commands;
    } cases[] = {
        {false, {VK_ESCAPE}, {}},
        {false, {VK_DOWN, VK_RETURN}, {ID_SHOW}},
        {false, {VK_DOWN, VK_DOWN, VK_RETURN}, {ID_START}},
        {true, {VK_DOWN, VK_DOWN, VK_RETURN}, {ID_STOP}},
        {true, {VK_UP, VK_RETURN}, {ID_QUIT}},
        // Into the language submenu, down to "Deutsch".
        {false, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         {ID_LANGUAGE_FIRST + 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "running " << c.running << ", " << c.keys.size() << " keys");
        running = c.running;
        keys = c.keys;
        commands.clear();
        menuRect = {};
        ASSERT_TRUE(MoveCursor({300, 200}));
        typed = 0;
        SetTimer(nullptr, 0, 30, TypeKey);

        Menu();

        EXPECT_EQ(menuRect.left, 300);
        EXPECT_EQ(menuRect.top, 200);
        // The menu's owner is woken once the menu has closed.
        bool woken = false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            woken |= message.hwnd == window && message.message == WM_NULL;
            DispatchMessageW(&message);
        }
        EXPECT_TRUE(woken);
        EXPECT_EQ(commands, c.commands);
    }
    running = false;
    language.clear();
    DestroyWindow(window);
    window = nullptr;
    MoveCursor(cursor);
}

}  // namespace
