// The user's commands on the real console: the buttons, the language list, minimising, the tray
// icon's clicks and the quit question, with what reaches the stand-in library and the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "support/drive.h"
#include "support/launch.h"
#include "support/message_box.h"
#include "support/opened_folders.h"
#include "support/tunnel_trace.h"

namespace {

const std::string SIGN_IN = "after 50 event 2 {\"errcode\":0}\n";
// Two peers, the second to arrive sorting first.
const std::string TWO_PEERS = SIGN_IN +
                              "after 50 event 5 {\"peerid\":\"PEER-B\"}\n"
                              "after 50 event 13 {\"peerid\":\"PEER-B\",\"type\":12}\n"
                              "after 50 event 5 {\"peerid\":\"PEER-A\"}\n";
const std::wstring BOTH_PEERS = L"PEER-A\r\nPEER-B";
const std::wstring NO_PEER = L"\u2014";

HWND ValueRow(HWND window, int row) { return ChildAt(window, CHILD_VALUE_ROW_0 + 2 * row); }
HWND LabelRow(HWND window, int row) { return ChildAt(window, CHILD_LABEL_ROW_0 + 2 * row); }

bool Shows(HWND control, const std::wstring& text) {
    return WaitUntil([&] { return Text(control) == text; });
}

// The library's calls, without the lines its own threads write when they end (their timing is
// the library's).
std::vector<std::string> LibraryCalls(const std::filesystem::path& folder) {
    auto calls = CallNames(ReadTrace(folder));
    calls.erase(std::remove(calls.begin(), calls.end(), "finished"), calls.end());
    return calls;
}

std::vector<std::string> CallsSince(const std::filesystem::path& folder, std::size_t count) {
    const auto calls = LibraryCalls(folder);
    return std::vector<std::string>(calls.begin() + std::min(count, calls.size()), calls.end());
}

std::string LanguageFile() { return ReadBytes(DataFolder() / L"language.txt"); }

// A console in English beside the stand-in playing script, its window shown; null on failure.
HWND LaunchEnglish(const wchar_t* name, const std::string& script, Console& console) {
    FreshDataFolder("en");
    console = Launch(LayOut(name, Library::STANDIN, script));
    return WaitForMainWindow(console);
}

}  // namespace

TEST(Commands, StartAndStopReachTheLibraryOnlyWhenTheyShould) {
    Console console{};
    const HWND window = LaunchEnglish(L"startstop", TWO_PEERS, console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Shows(ValueRow(window, 0), BOTH_PEERS));
    const HWND start = ChildAt(window, CHILD_START);
    const HWND stop = ChildAt(window, CHILD_STOP);
    const std::string restartScript = SIGN_IN + "after 50 event 5 {\"peerid\":\"PEER-C\"}\n";

    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> calls;  // what reaches the library
        bool running;
        std::wstring peers;
    };
    const Step steps[] = {
        // The tray menu offers Start whatever the state; a running tunnel is left alone.
        {"start while running", [&] { PostCommand(window, 101); }, {}, true, BOTH_PEERS},
        {"stop button", [&] { Click(stop); }, {"pgTunnelStop"}, false, NO_PEER},
        {"stop while stopped", [&] { PostCommand(window, 102); }, {}, false, NO_PEER},
        // The configuration is read again on every start.
        {"start button",
         [&] {
             WriteBytes(console.folder / L"pgTunnelStatic.cfg", restartScript);
             Click(start);
         },
         {"pgTunnelSetCfgParam", "pgTunnelCallbackSet", "pgTunnelStart"}, true, L"PEER-C"},
        {"stop button again", [&] { Click(stop); }, {"pgTunnelStop"}, false, NO_PEER},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::size_t before = LibraryCalls(console.folder).size();
        step.act();
        ASSERT_TRUE(WaitForPostedCommands(window));
        EXPECT_TRUE(Shows(ValueRow(window, 0), step.peers)) << Text(ValueRow(window, 0));
        EXPECT_TRUE(Shows(ValueRow(window, 2), Translated("en", step.running ? "logged_in" : "disconnected")));
        EXPECT_EQ(IsWindowEnabled(start) != FALSE, !step.running);
        EXPECT_EQ(IsWindowEnabled(stop) != FALSE, step.running);
        EXPECT_EQ(CallsSince(console.folder, before), step.calls);
    }
    EXPECT_EQ(MessageBoxOf(console), nullptr);
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));

    const auto trace = ReadTrace(console.folder);
    std::vector<const TraceLine*> configurations, starts;
    for (const TraceLine& line : trace) {
        if (line.call == "pgTunnelSetCfgParam") configurations.push_back(&line);
        if (line.call == "pgTunnelStart") starts.push_back(&line);
    }
    ASSERT_EQ(configurations.size(), 2u);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(FromHex(configurations[0]->fields.at("text")), TWO_PEERS);
    EXPECT_EQ(FromHex(configurations[1]->fields.at("text")), restartScript);
    EXPECT_EQ(starts[1]->fields.at("parameter"), starts[0]->fields.at("parameter")) << "one tunnel ID per run";
}

TEST(Commands, CopyPutsExactlyTheShownIDsOnTheClipboard) {
    struct Case {
        const char* what;
        std::string script;
        std::wstring devices;  // empty: no peer, the clipboard keeps what it held
    };
    const Case cases[] = {
        {"two peers", TWO_PEERS, BOTH_PEERS},
        {"no peer", SIGN_IN, L""},
    };
    const std::wstring heldAtFirst = ClipboardText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Console console{};
        const HWND window = LaunchEnglish(L"copy", c.script, console);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(Shows(ValueRow(window, 2), Translated("en", "logged_in")));
        const HWND copyDevice = ChildAt(window, CHILD_COPY_DEVICE);
        SetClipboardText(L"held before");

        if (c.devices.empty()) {
            EXPECT_FALSE(IsWindowEnabled(copyDevice));
            // The command arrives all the same, from the disabled button or from elsewhere.
            Click(copyDevice);
            PostCommand(window, 104);
            ASSERT_TRUE(WaitForPostedCommands(window));
            EXPECT_EQ(ClipboardText(), L"held before");
        } else {
            ASSERT_TRUE(Shows(ValueRow(window, 0), c.devices));
            EXPECT_TRUE(IsWindowEnabled(copyDevice));
            EXPECT_EQ(CopyUntilItHolds([&] { Click(copyDevice); }, c.devices), c.devices);
        }

        const std::wstring tunnelID = Text(ValueRow(window, 1));
        EXPECT_EQ(tunnelID.size(), 36u);
        EXPECT_EQ(CopyUntilItHolds([&] { Click(ChildAt(window, CHILD_COPY_TUNNEL)); }, tunnelID), tunnelID);
        EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
    }
    SetClipboardText(heldAtFirst);
}

TEST(Commands, LanguageChosenInTheListShowsIsSavedAndIsKeptForTheNextStart) {
    Console console{};
    HWND window = LaunchEnglish(L"language", SIGN_IN, console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Shows(ValueRow(window, 2), Translated("en", "logged_in")));

    const char* captionKeys[] = {"peer_id", "tunnel_id", "p2p_status", "device_status", "language"};
    // The index in the list, and the code saved; "" is the system default.
    const std::pair<int, std::string> choices[] = {
        {3, "fr"}, {6, "ko"}, {6, "ko"} /* the same again is saved again */, {0, ""}, {1, "zh"}, {5, "ja"},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.second.empty() ? "system default" : choice.second);
        std::filesystem::remove(DataFolder() / L"language.txt");
        EXPECT_TRUE(PickFromLanguageList(window, choice.first));
        const std::string shown = choice.second.empty() ? LocaleLanguage() : choice.second;
        EXPECT_TRUE(Shows(window, Translated(shown, "app"))) << Text(window).c_str();
        EXPECT_TRUE(WaitUntil([] { return std::filesystem::exists(DataFolder() / L"language.txt"); }));
        EXPECT_EQ(LanguageFile(), choice.second);
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(Text(LabelRow(window, row)), Translated(shown, captionKeys[row]));
        }
        EXPECT_EQ(Text(ValueRow(window, 2)), Translated(shown, "logged_in"));
        EXPECT_EQ(Text(ChildAt(window, CHILD_START)), Translated(shown, "start"));
        EXPECT_EQ(Text(ChildAt(window, CHILD_QUIT)), Translated(shown, "quit"));
        EXPECT_EQ(LanguageListChoice(window), choice.first);
    }

    // The choice outlives the run: the next start reads it back.
    for (const auto& choice : {std::make_pair(5, std::string("ja")), std::make_pair(0, std::string())}) {
        SCOPED_TRACE(choice.second.empty() ? "system default, restarted" : "restarted");
        EXPECT_TRUE(PickFromLanguageList(window, choice.first));
        EXPECT_TRUE(WaitUntil([&] { return LanguageListChoice(window) == choice.first && LanguageFile() == choice.second; }));
        ASSERT_TRUE(WaitForPostedCommands(window));
        ASSERT_EQ(QuitConsole(console), std::optional<DWORD>(0));
        EXPECT_EQ(std::filesystem::file_size(DataFolder() / L"language.txt"), choice.second.size());

        console = Launch(console.folder);
        window = WaitForMainWindow(console);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Text(window), Translated(choice.second.empty() ? LocaleLanguage() : choice.second, "app"));
        EXPECT_EQ(LanguageListChoice(window), choice.first);
    }
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}

TEST(Commands, MinimiseHidesToTheTrayAndOnlyALeftReleaseOnTheIconShows) {
    Console console{};
    const HWND window = LaunchEnglish(L"minimise", SIGN_IN, console);
    ASSERT_NE(window, nullptr);
    RECT shownAt;
    GetWindowRect(window, &shownAt);
    const auto keepsItsPlace = [&] {
        RECT now;
        GetWindowRect(window, &now);
        return EqualRect(&now, &shownAt) != FALSE;
    };

    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_FALSE(IsIconic(window)) << "hidden, not minimised";

    for (const UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_MBUTTONUP}) {
        PostTray(window, mouse);
    }
    ASSERT_TRUE(WaitForPostedCommands(window));
    EXPECT_FALSE(IsWindowVisible(window)) << "presses, double clicks and moves do nothing";

    PostTray(window, WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(WaitUntil(keepsItsPlace));

    // Minimised by other means than the caption's button, the window comes back usable.
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));
    PostTray(window, WM_LBUTTONUP);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) && !IsIconic(window); }));
    EXPECT_TRUE(WaitUntil(keepsItsPlace));
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}

TEST(Commands, QuitQuestionNoKeepsTheTunnelAndYesStopsItWithNothingLoggedAfter) {
    // Reports from inside pgTunnelStop and from a thread that goes on after it: none of them may
    // reach the log once the user has said Yes.
    std::string script = TWO_PEERS + "stop event 77 {\"peerid\":\"STOPPING\",\"errcode\":7}\nstop null-event 77\n";
    for (int i = 0; i < 50; ++i) {
        script += i % 2 ? "late 0 event 78 {\"peerid\":\"LATE\",\"errcode\":8}\n" : "late 2 diag 4 late report\n";
    }
    Console console{};
    const HWND window = LaunchEnglish(L"question", script, console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Shows(ValueRow(window, 0), BOTH_PEERS));
    const std::wstring shown = DescribeWindow(window);

    for (const bool hiddenFirst : {false, true}) {
        SCOPED_TRACE(hiddenFirst ? "from the tray" : "from the window");
        if (hiddenFirst) {
            PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
        const HWND question = WaitForMessageBox(console);
        ASSERT_NE(question, nullptr);
        EXPECT_TRUE(IsWindowVisible(window)) << "the question comes with the window shown";
        EXPECT_EQ(Text(question), Translated("en", "quit_confirm"));
        EXPECT_EQ(MessageBoxText(question), Translated("en", "quit_detail"));
        EXPECT_NE(GetDlgItem(question, IDNO), nullptr);
        EXPECT_EQ(GetDlgItem(question, IDOK), nullptr);
        const SeenBox seen = ReadMessageBox(question);
        EXPECT_EQ(seen.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(seen.defaultButton, IDNO) << "Enter alone must not end the tunnel";
        Answer(question, IDNO);
        ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(console) == nullptr; }));
        ASSERT_TRUE(WaitForPostedCommands(window));
        EXPECT_EQ(DescribeWindow(window), shown) << "still shown, still running, the same peers";
        EXPECT_EQ(WaitForExit(console, 0), std::nullopt);
    }
    const auto calls = LibraryCalls(console.folder);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "pgTunnelStop"), 0);

    // Yes, from the Quit button this time.
    const auto logBefore = ConsoleLog();
    Click(ChildAt(window, CHILD_QUIT));
    const HWND question = WaitForMessageBox(console);
    ASSERT_NE(question, nullptr);
    Answer(question, IDYES);
    EXPECT_EQ(WaitForExit(console), std::optional<DWORD>(0));
    EXPECT_EQ(LibraryCalls(console.folder),
              (std::vector<std::string>{"pgTunnelSetCfgParam", "pgTunnelCallbackSet", "pgTunnelStart", "pgTunnelStop"}));
    // pgTunnelStop returns before the callbacks are silenced, so a diagnostic report may still be
    // logged in between; no event is, as the queue is emptied and never taken again.
    const auto log = ConsoleLog();
    ASSERT_GE(log.size(), logBefore.size());
    EXPECT_TRUE(std::equal(logBefore.begin(), logBefore.end(), log.begin()));
    for (std::size_t i = logBefore.size(); i < log.size(); ++i) {
        EXPECT_EQ(log[i], "SDK diagnostic event; level=4") << "line " << i;
    }
}

TEST(Commands, LogButtonOpensTheDataFolderInTheShellAndChangesNothingElse) {
    Console console{};
    const HWND window = LaunchEnglish(L"logfolder", SIGN_IN, console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Shows(ValueRow(window, 2), Translated("en", "logged_in")));
    const std::wstring shown = DescribeWindow(window);
    const auto log = ConsoleLog();

    Click(ChildAt(window, CHILD_LOG_BUTTON));
    EXPECT_TRUE(OnlyTheDataFolder(CloseFoldersOpenedBy(console, window)));
    EXPECT_EQ(DescribeWindow(window), shown);
    EXPECT_EQ(ConsoleLog(), log);
    EXPECT_EQ(MessageBoxOf(console), nullptr);
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
}

TEST(Commands, IdsThatNameNoCommandChangeNothing) {
    Console console{};
    const HWND window = LaunchEnglish(L"unknown", TWO_PEERS, console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Shows(ValueRow(window, 0), BOTH_PEERS));
    const std::wstring heldAtFirst = ClipboardText();
    SetClipboardText(L"held before");
    const std::wstring shown = DescribeWindow(window);
    const std::size_t calls = LibraryCalls(console.folder).size();
    const auto log = ConsoleLog();

    for (const WORD id : {0, 1, 2, 100, 109, 110, 199, 207, 208, 0xFFFF}) {
        for (const WORD code : {BN_CLICKED, CBN_SELCHANGE}) PostCommand(window, id, code);
    }
    ASSERT_TRUE(WaitForPostedCommands(window));
    EXPECT_EQ(DescribeWindow(window), shown);
    EXPECT_EQ(ClipboardText(), L"held before");
    EXPECT_EQ(LibraryCalls(console.folder).size(), calls);
    EXPECT_EQ(ConsoleLog(), log);
    EXPECT_EQ(MessageBoxOf(console), nullptr);
    EXPECT_EQ(WaitForExit(console, 0), std::nullopt) << "still running";
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
    SetClipboardText(heldAtFirst);
}
