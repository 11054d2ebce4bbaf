// The window procedure's messages and commands, sent to the real window in-process.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "console/refresh.h"
#include "console/window.h"
#include "console_fixture.h"
#include "launch.h"
#include "message_box.h"
#include "text/language.h"
#include "tunnel/events.h"
#include "tunnel/library.h"
#include "tunnel/log.h"
#include "tunnel/state.h"
#include "tunnel_fixture.h"

namespace {

std::optional<std::string> SavedLanguageFile() {
    std::ifstream file(dataDir / L"language.txt", std::ios::binary);
    if (!file) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

LRESULT Command(WORD id, WORD code = 0) { return SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), 0); }

class WindowProcTest : public testing::Test {
protected:
    void SetUp() override {
        UseFreshDataDir();
        language = "en";
        savedSdk = sdk;
        savedStop = sdkStop;
        CreateTestConsole();
    }
    void TearDown() override {
        DestroyTestConsole();
        // A quit leaves the callbacks silenced; the tests after this one need them heard.
        ResetTunnel();
        sdk = savedSdk;
        sdkStop = savedStop;
    }
    HMODULE savedSdk = nullptr;
    TunnelStopFunction savedStop = nullptr;
};

TEST_F(WindowProcTest, LanguageMenuCommandsSetSaveAndShowTheChoice) {
    const struct {
        WORD id;
        const char* saved;
        const wchar_t* title;
    } cases[] = {
        {203, "fr", L"Console P2P TAMBRIX"}, {201, "zh", L"TAMBRIX P2P 控制台"},
        {206, "ko", L"TAMBRIX P2P 콘솔"},     {206, "ko", L"TAMBRIX P2P 콘솔"},  // the same choice again
        {204, "de", L"TAMBRIX P2P-Konsole"}, {205, "ja", L"TAMBRIX P2P コンソール"},
        {202, "en", L"TAMBRIX D2I Duzozur"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dataDir / L"language.txt");
        const int before = RedrawCount();
        EXPECT_EQ(Command(c.id), 0);
        EXPECT_EQ(language, c.saved);
        EXPECT_EQ(SavedLanguageFile(), std::optional<std::string>(c.saved)) << c.id;
        EXPECT_EQ(Text(window), c.title);
        EXPECT_EQ(RedrawCount(), before + 1);
    }
    // The system default leaves the file empty and follows the locale.
    EXPECT_EQ(Command(200), 0);
    EXPECT_EQ(language, "");
    EXPECT_EQ(SavedLanguageFile(), std::optional<std::string>(""));
}

TEST_F(WindowProcTest, DropDownActsOnlyOnASelectionChange) {
    Refresh();  // fills the list
    HWND list = values[4];
    const struct {
        WPARAM selection;  // -1: none
        WORD code;
        std::optional<std::string> saved;
    } cases[] = {
        {3, CBN_SELCHANGE, "fr"},
        {6, CBN_DROPDOWN, std::nullopt},
        {6, CBN_CLOSEUP, std::nullopt},
        {6, CBN_SETFOCUS, std::nullopt},
        {static_cast<WPARAM>(-1), CBN_SELCHANGE, std::nullopt},
        {0, CBN_SELCHANGE, ""},
        {6, CBN_SELCHANGE, "ko"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dataDir / L"language.txt");
        SendMessageW(list, CB_SETCURSEL, c.selection, 0);
        EXPECT_EQ(SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_LANGUAGE, c.code), reinterpret_cast<LPARAM>(list)), 0);
        EXPECT_EQ(SavedLanguageFile(), c.saved) << c.selection << " " << c.code;
    }
}

TEST_F(WindowProcTest, CommandsWithoutAnActionDoNothing) {
    for (WORD id : {1, 2, 100, 109, 199, 207, 0xFFFF}) {
        EXPECT_EQ(Command(id), 0) << id;
    }
    EXPECT_EQ(RedrawCount(), 0);
    EXPECT_FALSE(SavedLanguageFile());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(WindowProcTest, MinimiseHidesAndOnlyALeftReleaseOnTheTrayIconShows) {
    ShowWindow(window, SW_SHOW);
    EXPECT_EQ(SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window)) << "hidden to the tray, not minimised";

    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_MOUSEMOVE}) {
        EXPECT_EQ(SendMessageW(window, WM_TRAY, 1, mouse), 0);
        EXPECT_FALSE(IsWindowVisible(window)) << mouse;
    }
    EXPECT_EQ(SendMessageW(window, WM_TRAY, 1, WM_LBUTTONUP), 0);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(WindowProcTest, ShowBringsBackAWindowMinimisedByOtherMeans) {
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    Command(ID_SHOW);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));

    ShowWindow(window, SW_MINIMIZE);
    SendMessageW(window, WM_TRAY, 1, WM_LBUTTONUP);
    EXPECT_FALSE(IsIconic(window));
}

TEST_F(WindowProcTest, DrawItemIsOursOnlyForTheGlyphButtons) {
    HDC dc = GetDC(window);
    for (UINT id : {101u, 103u, 104u, 105u, 106u, 107u}) {
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = id;
        item.hDC = dc;
        item.rcItem = {0, 0, 32, 28};
        const bool glyph = id >= 104 && id <= 106;
        EXPECT_EQ(SendMessageW(window, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item)), glyph ? TRUE : FALSE)
            << id;
    }
    ReleaseDC(window, dc);
}

// A restarted shell has lost every icon; its broadcast brings ours back with the same record.
TEST_F(WindowProcTest, TaskbarCreatedAddsTheIconAgain) {
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &tray));
    ASSERT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &tray)) << "the icon is gone";
    EXPECT_EQ(SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0), 0);
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &tray)) << "the icon is back";
}

TEST_F(WindowProcTest, CloseAnsweredNoKeepsEverything) {
    running = false;
    auto answer = AnswerMessageBox(GetCurrentProcessId(), IDNO);
    EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 0);
    const SeenBox box = answer.get();
    EXPECT_TRUE(box.found);
    EXPECT_EQ(box.caption, L"Quit the app?");
    EXPECT_EQ(box.text, L"Quitting will close the P2P connection. To hide only the console, use Minimize.");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO})) << "a question, with no OK and no way to cancel";
    EXPECT_EQ(box.defaultButton, IDNO) << "Enter alone must not end the tunnel";
    EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_QUESTION)) << "the question icon, in this process";
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window)) << "the question shows the window first";
    EXPECT_TRUE(accepting);
}

// What a quit did, in order: the library's stop and the window's destruction, each with what it
// met. Callbacks silenced before the stop would lose what the library reports while it stops; a
// window destroyed before it would take the stop's redraw and the tray icon's owner with it.
std::vector<std::string> quitSteps;
WNDPROC consoleProc = nullptr;

std::string Accepting() { return accepting ? "accepting" : "not accepting"; }

int RecordStop() {
    quitSteps.push_back("pgTunnelStop, " + Accepting() + (IsWindow(window) ? ", window alive" : ", window gone"));
    return 0;
}

// The icon is checked while the window still exists, so that only the window's own clean-up can
// have removed it.
LRESULT CALLBACK WatchDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DESTROY) return CallWindowProcW(consoleProc, hwnd, message, wParam, lParam);
    const bool iconBefore = Shell_NotifyIconW(NIM_MODIFY, &tray) != FALSE;
    const LRESULT result = CallWindowProcW(consoleProc, hwnd, message, wParam, lParam);
    const bool iconAfter = Shell_NotifyIconW(NIM_MODIFY, &tray) != FALSE;
    quitSteps.push_back("WM_DESTROY, " + Accepting() + (iconBefore ? ", icon shown" : ", no icon") +
                        (iconAfter ? " and kept" : " and removed"));
    return result;
}

TEST_F(WindowProcTest, QuitAnsweredYesStopsSilencesTheCallbacksAndDestroysTheWindow) {
    const std::string destroyed = "WM_DESTROY, not accepting, icon shown and removed";
    const struct {
        bool running;
        std::vector<std::string> steps;
    } cases[] = {
        {false, {destroyed}},
        {true, {"pgTunnelStop, accepting, window alive", destroyed}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.running ? "running" : "not running");
        DestroyTestConsole();
        CreateTestConsole();
        consoleProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchDestroy)));
        sdk = GetModuleHandleW(nullptr);
        sdkStop = RecordStop;
        quitSteps.clear();
        accepting = true;
        running = c.running;
        peers = {{"p", 5}};
        loginState = "login_failed";

        auto answer = AnswerMessageBox(GetCurrentProcessId(), IDYES);
        EXPECT_EQ(Command(ID_QUIT), 0);
        EXPECT_TRUE(answer.get().found);
        EXPECT_EQ(quitSteps, c.steps)
            << "the library stops while its reports are still heard and the window still stands; then the "
               "callbacks are silenced, and the window takes its tray icon with it";
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(accepting);
        EXPECT_FALSE(running);
        EXPECT_TRUE(peers.empty());
        EXPECT_EQ(loginState, "disconnected");
        MSG message;
        EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(message.wParam, 0u);
    }
}

}  // namespace
