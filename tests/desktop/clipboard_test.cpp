// The copy commands on the real clipboard, which the whole desktop shares.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "console/window.h"
#include "console/window_proc.h"
#include "console_fixture.h"
#include "drive.h"
#include "launch.h"
#include "text/language.h"
#include "tunnel/control.h"
#include "tunnel/state.h"

namespace {

class ClipboardTest : public testing::Test {
protected:
    void SetUp() override {
        UseFreshDataDir();
        language = "en";
        tunnelID = L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
        CreateTestConsole();
        heldAtFirst = ClipboardText();
        SetClipboardText(L"held before");
    }
    void TearDown() override {
        peers.clear();
        running = false;
        DestroyTestConsole();
        SetClipboardText(heldAtFirst);
    }
    std::wstring heldAtFirst;
};

TEST_F(ClipboardTest, CopiesWhatTheCommandNames) {
    const struct {
        PeerMap table;
        int command;
        const wchar_t* expected;
    } cases[] = {
        {{{"peer-b", 128}, {"peer-a", 0}}, ID_COPY_DEVICE, L"peer-a\r\npeer-b"},
        {{{"solo", 5}}, ID_COPY_DEVICE, L"solo"},
        {{}, ID_COPY_DEVICE, L"held before"},  // nothing to copy: the clipboard is left alone
        {{}, ID_COPY_TUNNEL, L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"},
    };
    for (const auto& c : cases) {
        SetClipboardText(L"held before");
        peers = c.table;
        running = !peers.empty();
        LRESULT result = -1;
        const auto command = [&] { result = SendMessageW(window, WM_COMMAND, c.command, 0); };
        if (c.table.empty() && c.command == ID_COPY_DEVICE) {
            command();
            EXPECT_EQ(ClipboardText(), c.expected);
        } else {
            EXPECT_EQ(CopyUntilItHolds(command, c.expected), c.expected);
        }
        EXPECT_EQ(result, 0);
    }
}

TEST_F(ClipboardTest, AnEmptyTextDoesNotEvenOpenTheClipboard) {
    const DWORD sequence = GetClipboardSequenceNumber();
    Copy(L"");
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(ClipboardText(), L"held before");
}

TEST_F(ClipboardTest, ABusyClipboardLeavesItsContent) {
    // Another window holds the clipboard open: the copy gives up without a trace.
    ASSERT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }));
    Copy(L"never copied");
    CloseClipboard();
    EXPECT_EQ(ClipboardText(), L"held before");
}

}  // namespace
