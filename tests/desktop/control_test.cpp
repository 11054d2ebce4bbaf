// Start, Stop and the diagnostic callback against exports that record how they are called.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "console/window.h"
#include "support/console_fixture.h"
#include "support/message_box_guard.h"
#include "support/tunnel_fixture.h"
#include "text/language.h"
#include "tunnel/control.h"
#include "tunnel/events.h"
#include "tunnel/interpreter.h"
#include "tunnel/library.h"
#include "tunnel/state.h"

namespace {

struct Call {
    std::string name;
    std::string text;           // configuration, or start parameter
    const char* first;          // pgTunnelStart's first argument
    int third;                  // pgTunnelStart's third argument
    TunnelCallback callback;    // event or diagnostic callback
};

std::vector<Call> calls;
int configResult = 0;
int startResult = 0;
bool reportDuringStart = false;

int RecordConfig(const char* configuration) {
    calls.push_back({"config", configuration, nullptr, 0, nullptr});
    return configResult;
}

int RecordCallbackSet(TunnelCallback events) {
    calls.push_back({"callbackSet", "", nullptr, 0, events});
    return 1;
}

// Like a real library, it may report from inside the call.
int RecordStart(const char* first, const char* parameter, int third, TunnelCallback diagnostic) {
    calls.push_back({"start", parameter, first, third, diagnostic});
    if (reportDuringStart) {
        diagnostic(3, "starting");
        EventCallback(2, R"({"errcode":0})");
    }
    return startResult;
}

int RecordStop() {
    calls.push_back({"stop", "", nullptr, 0, nullptr});
    return 1;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const Call& call : calls) names.push_back(call.name);
    return names;
}

const std::vector<std::string> STARTED = {"config", "callbackSet", "start"};
const std::wstring TUNNEL_ID = L"0F8FAD5B-D9CB-469F-A165-70867728950E";
const std::string START_PARAMETER = "(DevID){0F8FAD5B-D9CB-469F-A165-70867728950E}";

class Control : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTunnel();
        CreateTestConsole();
        baseDir = UseFreshDataDir() / L"app";
        std::filesystem::create_directories(baseDir);
        tunnelID = TUNNEL_ID;
        sdk = GetModuleHandleW(nullptr);
        sdkConfig = RecordConfig;
        sdkCallback = RecordCallbackSet;
        sdkStart = RecordStart;
        sdkStop = RecordStop;
        calls.clear();
        configResult = startResult = 0;
        reportDuringStart = false;
        StartAnsweringBoxes();
    }
    void TearDown() override {
        StopAnsweringBoxes();
        sdk = nullptr;
        DestroyTestConsole();
        ResetTunnel();
    }
    // A clean slate for one row of a table: state, calls, log and boxes.
    void NextCase(const std::wstring& name, bool isRunning, const char* login) {
        StopAnsweringBoxes();
        ResetTunnel();
        running = isRunning;
        loginState = login;
        calls.clear();
        baseDir = UseFreshDataDir(name) / L"app";
        std::filesystem::create_directories(baseDir);
        StartAnsweringBoxes();
    }
};

void WriteConfiguration(const std::string& bytes) {
    std::ofstream(baseDir / L"pgTunnelStatic.cfg", std::ios::binary) << bytes;
}

}  // namespace

TEST_F(Control, StartHandsTheConfigurationOverByteForByte) {
    const struct {
        const wchar_t* name;
        std::string file;
        std::string passed;
    } cases[] = {
        {L"plain-\u00E9\u4E2D", "server=1", "server=1"},  // a folder name that is not ASCII
        {L"crlf", "a=1\r\nb=2\r\n", "a=1\r\nb=2\r\n"},
        {L"bom", "\xEF\xBB\xBF" "a=1\n", "\xEF\xBB\xBF" "a=1\n"},
        {L"first-nul", std::string("\0a=1", 4), ""},
        {L"inner-nul", std::string("a\0b", 3), "a"},
        {L"large", std::string(300000, 'c') + "\x80\xFF", std::string(300000, 'c') + "\x80\xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.passed, 0, 20));
        NextCase(c.name, false, "disconnected");
        WriteConfiguration(c.file);
        const int redraws = RedrawCount();

        Start();

        ASSERT_EQ(CallNames(), STARTED);
        EXPECT_EQ(calls[0].text, c.passed);
        EXPECT_EQ(calls[1].callback, static_cast<TunnelCallback>(EventCallback));
        ASSERT_NE(calls[2].first, nullptr);
        EXPECT_STREQ(calls[2].first, "");
        EXPECT_EQ(calls[2].text, START_PARAMETER);
        EXPECT_EQ(calls[2].text.size(), 45u);
        EXPECT_EQ(calls[2].third, 0);
        EXPECT_EQ(calls[2].callback, static_cast<TunnelCallback>(LogCallback));
        EXPECT_TRUE(running);
        EXPECT_EQ(loginState, "logging_in");
        EXPECT_EQ(LogMessages(), std::vector<std::string>{"SDK started"});
        EXPECT_EQ(RedrawCount() - redraws, 1);
        EXPECT_TRUE(StopAnsweringBoxes().empty());
    }
}

TEST_F(Control, FailedStartsAreLoggedWithTheirCode) {
    const struct {
        int config, start;
        std::vector<std::string> calls;
        const char* line;
    } cases[] = {
        {-5, 0, {"config"}, "SDK start failed: -5"},
        {7, 0, {"config"}, "SDK start failed: 7"},
        {0, INT_MIN, STARTED, "SDK start failed: -2147483648"},
        {0, INT_MAX, STARTED, "SDK start failed: 2147483647"},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        NextCase(L"failed" + std::to_wstring(index++), false, "disconnected");
        WriteConfiguration("a=1");
        configResult = c.config;
        startResult = c.start;
        const int redraws = RedrawCount();

        Start();

        EXPECT_EQ(CallNames(), c.calls);
        EXPECT_FALSE(running);
        EXPECT_EQ(loginState, "login_failed");
        EXPECT_EQ(LogMessages(), std::vector<std::string>{c.line});
        EXPECT_EQ(RedrawCount() - redraws, 1);
    }
}

TEST_F(Control, NoConfigurationShowsTheBoxAndNothingElse) {
    const struct {
        const wchar_t* name;
        void (*make)();
    } cases[] = {
        {L"missing", [] {}},
        {L"empty", [] { WriteConfiguration(""); }},
        {L"unreadable", [] { std::filesystem::create_directory(baseDir / L"pgTunnelStatic.cfg"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
        NextCase(c.name, false, "login_failed");
        c.make();
        const int redraws = RedrawCount();

        Start();

        const auto boxes = StopAnsweringBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, T("login_failed"));
        EXPECT_EQ(boxes[0].text, L"pgTunnelStatic.cfg");
        EXPECT_EQ(boxes[0].owner, window);
        EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK}) << "a report to acknowledge, not a question";
        EXPECT_EQ(boxes[0].icon, LoadIconW(nullptr, IDI_ERROR)) << "the error icon";
        EXPECT_TRUE(calls.empty());
        EXPECT_FALSE(running);
        EXPECT_EQ(loginState, "login_failed");
        EXPECT_TRUE(LogMessages().empty());
        EXPECT_EQ(RedrawCount() - redraws, 0);
    }
}

// The configuration is missing: reading it would show the box.
TEST_F(Control, StartDoesNothingWhileRunningOrWithoutTheLibrary) {
    const struct {
        const wchar_t* name;
        bool running;
        bool library;
        const char* login;
    } cases[] = {
        {L"running", true, true, "logged_in"},
        {L"no-library", false, false, "disconnected"},
    };
    for (const auto& c : cases) {
        NextCase(c.name, c.running, c.login);
        sdk = c.library ? GetModuleHandleW(nullptr) : nullptr;
        const int redraws = RedrawCount();

        Start();

        EXPECT_TRUE(StopAnsweringBoxes().empty());
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(running, c.running);
        EXPECT_EQ(loginState, c.login);
        EXPECT_TRUE(LogMessages().empty());
        EXPECT_EQ(RedrawCount() - redraws, 0);
    }
}

TEST_F(Control, StopEmptiesEverythingRunningOrNot) {
    const struct {
        const wchar_t* name;
        bool running;
        const char* login;
        std::vector<std::string> calls;
    } cases[] = {
        {L"running", true, "logged_in", {"stop"}},
        {L"stopped", false, "login_failed", {}},
    };
    for (const auto& c : cases) {
        NextCase(c.name, c.running, c.login);
        peers = {{"a", 1}, {"b", 65535}};
        EventCallback(5, R"({"peerid":"c"})");
        EventCallback(0, "");
        const int redraws = RedrawCount();

        Stop();

        EXPECT_EQ(CallNames(), c.calls);
        EXPECT_FALSE(running);
        EXPECT_TRUE(peers.empty());
        EXPECT_TRUE(TakeEvents().empty());
        EXPECT_EQ(loginState, "disconnected");
        EXPECT_TRUE(LogMessages().empty());
        EXPECT_EQ(RedrawCount() - redraws, 1);
    }
}

// Events queued before a Stop are never seen; those after it are.
TEST_F(Control, StopDiscardsEventsNotYetHandled) {
    WriteConfiguration("a=1");
    Start();
    EventCallback(5, R"({"peerid":"before"})");
    Stop();
    EventCallback(4294967295u, R"({"peerid":"after"})");
    HandleEvents();
    EXPECT_TRUE(peers.empty());
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{"SDK started", "SDK event=4294967295"}));
}

TEST_F(Control, StartAgainAfterTheLibraryReportedStopped) {
    WriteConfiguration("a=1");
    Start();
    EventCallback(0, "");
    HandleEvents();
    EXPECT_FALSE(running);
    Start();
    std::vector<std::string> twice = STARTED;
    twice.insert(twice.end(), STARTED.begin(), STARTED.end());
    EXPECT_EQ(CallNames(), twice);
    EXPECT_TRUE(running);
    EXPECT_EQ(loginState, "logging_in");
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{"SDK started", "SDK event=0", "SDK started"}));
}

// Reports made from inside pgTunnelStart meet the state that Start leaves.
TEST_F(Control, ReportsDuringStartAreHandledAfterIt) {
    WriteConfiguration("a=1");
    reportDuringStart = true;
    Start();
    EXPECT_EQ(loginState, "logging_in");
    HandleEvents();
    EXPECT_EQ(loginState, "logged_in");
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{"SDK diagnostic event; level=3", "SDK started",
                                                       "SDK event=2", "SDK event error=0"}));
}

TEST_F(Control, DiagnosticLevelsFromTheLibrarysThread) {
    const struct {
        std::uint32_t level;
        bool accepting;
        std::vector<std::string> log;
    } cases[] = {
        {0, true, {}},
        {1, true, {}},
        {2, true, {}},
        {3, true, {"SDK diagnostic event; level=3"}},
        {4294967295u, true, {"SDK diagnostic event; level=4294967295"}},
        {3, false, {}},
        {4294967295u, false, {}},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        NextCase(L"level" + std::to_wstring(index++), false, "disconnected");
        accepting = c.accepting;
        std::thread library([&] {
            LogCallback(c.level, nullptr);
        });
        library.join();
        EXPECT_EQ(LogMessages(), c.log);
    }
}
