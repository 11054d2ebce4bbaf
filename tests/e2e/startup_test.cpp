// The real console started from a folder of its own, with the stand-in library, a broken one or
// none: what the window shows, what reaches the library, and how start-up fails.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/find_windows.h"
#include "support/launch.h"
#include "support/message_box.h"
#include "support/tunnel_trace.h"

namespace {

// Signs in, then two peers, the second to arrive sorting first.
const std::string SIGN_IN =
    "after 100 event 2 {\"errcode\":0}\n"
    "after 50 event 5 {\"peerid\":\"PEER-B\"}\n"
    "after 50 event 13 {\"peerid\":\"PEER-B\",\"type\":12}\n"
    "after 50 event 5 {\"peerid\":\"PEER-A\"}\n";

const std::wstring LOGIN_FAILED = L"Server login failed or disconnected";

// A fresh data folder in which the console speaks English whatever the locale.
void FreshEnglishDataFolder() {
    ClearDataFolder();
    WriteBytes(DataFolder() / L"language.txt", "en");
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

HWND ValueRow(HWND window, int row) { return ChildAt(window, CHILD_VALUE_ROW_0 + 2 * row); }

// A second start shows the first window of the console's class it finds: no other may be around.
bool OnlyOneConsoleWindow() { return WindowsOfClass(L"TAMBRIX.P2P.Console").size() == 1; }

}  // namespace

TEST(Startup, ShowsTheSignInAndThePeersTheLibraryReports) {
    FreshEnglishDataFolder();
    const Console console = Launch(LayOut(L"signin", Library::STANDIN, SIGN_IN));
    const HWND window = WaitForMainWindow(console);
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(WaitUntil([&] { return Text(ValueRow(window, 0)) == L"PEER-A\r\nPEER-B"; }))
        << Text(ValueRow(window, 0));
    EXPECT_EQ(Text(window), L"TAMBRIX D2I Duzozur");
    EXPECT_EQ(Text(ValueRow(window, 2)), L"Signed in to server");
    EXPECT_EQ(Text(ValueRow(window, 3)), L"Detecting connection type, LAN IPv4 direct");
    EXPECT_FALSE(IsWindowEnabled(ChildAt(window, CHILD_START)));
    EXPECT_TRUE(IsWindowEnabled(ChildAt(window, CHILD_STOP)));
    EXPECT_EQ(MessageBoxOf(console), nullptr);

    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
    const auto log = ConsoleLog();
    for (const char* line : {"SDK started", "SDK event=2", "SDK event error=0", "SDK event=13"}) {
        EXPECT_TRUE(Contains(log, line)) << line;
    }
}

TEST(Startup, HandsTheLibraryItsConfigurationAndTheTunnelID) {
    FreshEnglishDataFolder();
    // CR LF line ends, a byte-order mark, bytes that are not UTF-8 and a last line without an end.
    const std::string configuration = "\xEF\xBB\xBF" "after 0 event 2 {\"errcode\":0}\r\n\xFF\xFE\r\n# end";
    const Console console = Launch(LayOut(L"handover", Library::STANDIN, configuration));
    const HWND window = WaitForMainWindow(console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(ValueRow(window, 2)) == L"Signed in to server"; }));
    const std::wstring shownID = Text(ValueRow(window, 1));
    EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));

    const auto trace = ReadTrace(console.folder);
    const std::vector<std::string> calls = {"pgTunnelSetCfgParam", "pgTunnelCallbackSet", "pgTunnelStart",
                                            "finished", "pgTunnelStop"};
    ASSERT_EQ(CallNames(trace), calls);
    EXPECT_EQ(FromHex(trace[0].fields.at("text")), configuration);
    EXPECT_EQ(trace[1].fields.at("callback"), "set");
    EXPECT_EQ(trace[2].fields.at("empty"), "") << "an empty text, not a null one";
    EXPECT_EQ(trace[2].fields.at("zero"), "0");
    EXPECT_EQ(trace[2].fields.at("diagnostic"), "set");
    ASSERT_EQ(shownID.size(), 36u);
    EXPECT_EQ(FromHex(trace[2].fields.at("parameter")),
              "(DevID){" + std::string(shownID.begin(), shownID.end()) + "}");
    for (const std::size_t i : {0, 1, 2, 4}) {
        EXPECT_EQ(trace[i].fields.at("thread"), trace[0].fields.at("thread")) << "all calls come from one thread";
    }
}

TEST(Startup, WithoutAUsableLibraryReportsItAndCannotStart) {
    for (const Library library : {Library::NONE, Library::NO_CALLBACK}) {
        SCOPED_TRACE(library == Library::NONE ? "missing" : "without pgTunnelCallbackSet");
        FreshEnglishDataFolder();
        const Console console = Launch(LayOut(L"nolibrary", library, SIGN_IN));
        const HWND box = WaitForMessageBox(console);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), L"pgDllTunnel.dll");
        EXPECT_EQ(Text(box), LOGIN_FAILED);
        EXPECT_EQ(ReadMessageBox(box).buttons, std::vector<int>{IDOK}) << "a report to acknowledge, not a question";
        Answer(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(console) == nullptr; }));

        const HWND window = MainWindow(console);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowEnabled(ChildAt(window, CHILD_START)));
        EXPECT_FALSE(IsWindowEnabled(ChildAt(window, CHILD_STOP)));
        EXPECT_EQ(Text(ValueRow(window, 2)), L"Disconnected");
        EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
        EXPECT_EQ(ConsoleLog(), std::vector<std::string>{"Cannot load pgDllTunnel.dll or its required exports"});
        EXPECT_TRUE(ReadTrace(console.folder).empty()) << "nothing of the library is called";
    }
}

TEST(Startup, WithoutAConfigurationAsksForItAndLeavesTheLibraryAlone) {
    for (const auto& configuration : {std::optional<std::string>(), std::optional<std::string>("")}) {
        SCOPED_TRACE(configuration ? "empty" : "missing");
        FreshEnglishDataFolder();
        const Console console = Launch(LayOut(L"noconfig", Library::STANDIN, configuration));
        const HWND box = WaitForMessageBox(console);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), L"pgTunnelStatic.cfg");
        EXPECT_EQ(Text(box), LOGIN_FAILED);
        EXPECT_EQ(ReadMessageBox(box).buttons, std::vector<int>{IDOK}) << "a report to acknowledge, not a question";
        Answer(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return MessageBoxOf(console) == nullptr; }));

        const HWND window = MainWindow(console);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowEnabled(ChildAt(window, CHILD_START))) << "the user may fix the file and start";
        EXPECT_EQ(Text(ValueRow(window, 2)), L"Disconnected");
        EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
        EXPECT_TRUE(ReadTrace(console.folder).empty());
        EXPECT_TRUE(ConsoleLog().empty());
    }
}

TEST(Startup, SecondStartShowsTheFirstWindowAndEnds) {
    FreshEnglishDataFolder();
    const auto folder = LayOut(L"twice", Library::STANDIN, "# nothing to report");
    const Console first = Launch(folder);
    const HWND window = WaitForMainWindow(first);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    const auto logBefore = ConsoleLog();
    ASSERT_TRUE(WaitUntil(&OnlyOneConsoleWindow)) << DescribeConsole(first);

    const Console second = Launch(folder);
    EXPECT_EQ(WaitForExit(second), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_EQ(ConsoleLog(), logBefore) << "the second start writes no log line";
    EXPECT_EQ(QuitConsole(first), std::optional<DWORD>(0));
    EXPECT_EQ(CallNames(ReadTrace(folder)), (std::vector<std::string>{
        "pgTunnelSetCfgParam", "pgTunnelCallbackSet", "pgTunnelStart", "pgTunnelStop"}));
}

TEST(Startup, FileInPlaceOfTheDataFolderEndsWithOneAndNoWindow) {
    ClearDataFolder();
    WriteBytes(DataFolder(), "not a folder");
    const Console console = Launch(LayOut(L"blocked", Library::STANDIN, SIGN_IN));
    bool windowSeen = false;
    std::optional<DWORD> exitCode;
    WaitUntil([&] {
        windowSeen = windowSeen || MainWindow(console) || MessageBoxOf(console);
        return (exitCode = WaitForExit(console, 0)).has_value();
    });
    EndConsole(console);
    std::filesystem::remove(DataFolder());

    EXPECT_EQ(exitCode, std::optional<DWORD>(1));
    EXPECT_FALSE(windowSeen);
    EXPECT_TRUE(ReadTrace(console.folder).empty());
}
