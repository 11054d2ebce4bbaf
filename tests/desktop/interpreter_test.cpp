// Batches of library events turned into the tunnel state, the log and one redraw per batch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/console_fixture.h"
#include "support/launch.h"
#include "support/tunnel_fixture.h"
#include "tunnel/events.h"
#include "tunnel/interpreter.h"
#include "tunnel/state.h"

#include <windows.h>

#include "console/window.h"

namespace {

class Interpreter : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTunnel();
        CreateTestConsole();
    }
    void TearDown() override {
        DestroyTestConsole();
        ResetTunnel();
    }
};

void Queue(const std::vector<SdkEvent>& batch) {
    std::lock_guard<std::mutex> lock(eventsMutex);
    events.assign(batch.begin(), batch.end());
}

struct Scenario {
    const char* name;
    bool running;
    const char* loginState;
    PeerMap peers;
    std::vector<SdkEvent> batch;
    bool runningAfter;
    const char* loginStateAfter;
    PeerMap peersAfter;
    std::vector<std::string> log;
};

const char* const ON = "logged_in";
const std::string EVENT = "SDK event=";
const std::string ERROR_LINE = "SDK event error=";

std::string Peer(const std::string& id) { return R"({"peerid":")" + id + R"("})"; }
std::string PeerType(const std::string& id, const std::string& type) {
    return R"({"peerid":")" + id + R"(","type":)" + type + "}";
}

const std::vector<Scenario> SCENARIOS = {
    {"empty batch", true, ON, {{"a", 1}}, {}, true, ON, {{"a", 1}}, {}},
    {"stopped, then a peer that no longer counts", true, ON, {{"a", 3}},
     {{0, ""}, {5, Peer("b")}}, false, "disconnected", {}, {EVENT + "0", EVENT + "5"}},
    {"stopped after a failed start", false, "login_failed", {}, {{0, ""}}, false, "disconnected", {},
     {EVENT + "0"}},
    {"login 0", true, "logging_in", {}, {{2, R"({"errcode":0})"}}, true, "logged_in", {},
     {EVENT + "2", ERROR_LINE + "0"}},
    {"login -1", true, "logging_in", {}, {{2, R"({"errcode":-1})"}}, true, "login_failed", {},
     {EVENT + "2", ERROR_LINE + "-1"}},
    {"login 00", true, "logging_in", {}, {{2, R"({"errcode":00})"}}, true, "login_failed", {},
     {EVENT + "2", ERROR_LINE + "00"}},
    {"login -0", true, "logging_in", {}, {{2, R"({"errcode":-0})"}}, true, "login_failed", {},
     {EVENT + "2", ERROR_LINE + "-0"}},
    {"login \"0\" as a string", true, "logging_in", {}, {{2, R"({"errcode":"0"})"}}, true,
     "login_failed", {}, {EVENT + "2"}},
    {"login without errcode", true, "logging_in", {}, {{2, R"({"result":0})"}}, true, "login_failed",
     {}, {EVENT + "2"}},
    {"login while not running", false, "login_failed", {}, {{2, R"({"errcode":0})"}}, false,
     "login_failed", {}, {EVENT + "2", ERROR_LINE + "0"}},
    {"logged out (3)", true, ON, {{"a", 1}, {"b", 2}}, {{3, ""}}, true, "login_failed", {},
     {EVENT + "3"}},
    {"logged out (4)", true, ON, {{"a", 1}}, {{4, R"({"errcode":-2})"}}, true, "login_failed", {},
     {EVENT + "4", ERROR_LINE + "-2"}},
    {"online, present peer keeps its type", true, ON, {{"a", 17}}, {{5, Peer("a")}}, true, ON,
     {{"a", 17}}, {EVENT + "5"}},
    {"online, absent peer", true, ON, {{"a", 17}}, {{5, Peer("b")}}, true, ON, {{"a", 17}, {"b", 0}},
     {EVENT + "5"}},
    {"online without a peer", true, ON, {}, {{5, R"({"peer":"b"})"}}, true, ON, {}, {EVENT + "5"}},
    {"online while not running", false, "disconnected", {}, {{5, Peer("b")}}, false, "disconnected",
     {}, {EVENT + "5"}},
    // While not running nothing but a stop counts, whatever the state holds; each is still logged.
    {"logged out (3) while not running", false, "disconnected", {{"a", 1}}, {{3, ""}}, false,
     "disconnected", {{"a", 1}}, {EVENT + "3"}},
    {"logged out (4) while not running", false, "logging_in", {{"a", 1}}, {{4, R"({"errcode":-2})"}},
     false, "logging_in", {{"a", 1}}, {EVENT + "4", ERROR_LINE + "-2"}},
    {"offline (6, 7) while not running", false, "disconnected", {{"a", 1}, {"c", 3}},
     {{6, Peer("a")}, {7, Peer("c")}}, false, "disconnected", {{"a", 1}, {"c", 3}},
     {EVENT + "6", EVENT + "7"}},
    {"type while not running", false, "disconnected", {{"a", 4}},
     {{13, PeerType("a", "9")}, {13, PeerType("b", "3")}}, false, "disconnected", {{"a", 4}},
     {EVENT + "13", EVENT + "13"}},
    {"offline (6, 7)", true, ON, {{"a", 1}, {"b", 2}, {"c", 3}}, {{6, Peer("a")}, {7, Peer("c")}},
     true, ON, {{"b", 2}}, {EVENT + "6", EVENT + "7"}},
    {"offline, absent peer", true, ON, {{"a", 1}}, {{6, Peer("x")}, {7, Peer("y")}}, true, ON,
     {{"a", 1}}, {EVENT + "6", EVENT + "7"}},
    {"type for an absent peer", true, ON, {}, {{13, PeerType("a", "9")}}, true, ON, {{"a", 9}},
     {EVENT + "13"}},
    {"type replaced", true, ON, {{"a", 9}}, {{13, PeerType("a", "65535")}}, true, ON, {{"a", 65535}},
     {EVENT + "13"}},
    {"type 4294967295", true, ON, {}, {{13, PeerType("a", "4294967295")}}, true, ON,
     {{"a", 4294967295u}}, {EVENT + "13"}},
    {"type 4294967296", true, ON, {{"a", 4}}, {{13, PeerType("a", "4294967296")}, {13, PeerType("b", "4294967296")}},
     true, ON, {{"a", 4}}, {EVENT + "13", EVENT + "13"}},
    {"type 99999999999999999999999", true, ON, {{"a", 4}}, {{13, PeerType("a", "99999999999999999999999")}},
     true, ON, {{"a", 4}}, {EVENT + "13"}},
    {"type 000123", true, ON, {}, {{13, PeerType("a", "000123")}}, true, ON, {{"a", 123}},
     {EVENT + "13"}},
    {"type 12.5", true, ON, {}, {{13, PeerType("a", "12.5")}}, true, ON, {{"a", 12}}, {EVENT + "13"}},
    {"type missing", true, ON, {{"a", 4}}, {{13, Peer("a")}, {13, Peer("b")}}, true, ON, {{"a", 4}},
     {EVENT + "13", EVENT + "13"}},
    {"type without a peer", true, ON, {}, {{13, R"({"type":3})"}}, true, ON, {}, {EVENT + "13"}},
    {"server peers ignored", true, ON, {{"pgTunnelSvrX", 1}},
     {{5, Peer("pgTunnelSvr")}, {5, Peer("pgTunnelSvrX")}, {13, PeerType("pgTunnelSvr", "3")},
      {13, PeerType("pgTunnelSvr2", "3")}, {6, Peer("pgTunnelSvrX")}, {7, Peer("pgTunnelSvrX")}},
     true, ON, {{"pgTunnelSvrX", 1}},
     {EVENT + "5", EVENT + "5", EVENT + "13", EVENT + "13", EVENT + "6", EVENT + "7"}},
    {"server look-alikes are peers", true, ON, {},
     {{5, Peer("PGTUNNELSVR")}, {5, Peer("xpgTunnelSvr")}, {13, PeerType("pgTunnelSv", "2")}},
     true, ON, {{"PGTUNNELSVR", 0}, {"pgTunnelSv", 2}, {"xpgTunnelSvr", 0}},
     {EVENT + "5", EVENT + "5", EVENT + "13"}},
    {"white space and a second peerid", true, ON, {},
     {{5, "{\"peerid\" \r\n:\t\"a\\\"b\", \"peerid\"\n:\n\"c\"}"}, {5, R"({"peerid":"","peerid":"d"})"},
      {5, R"({"peerid":""})"}},
     true, ON, {{"c", 0}, {"d", 0}}, {EVENT + "5", EVENT + "5", EVENT + "5"}},
    {"event 4294967295 and other numbers", true, ON, {{"a", 1}},
     {{4294967295u, PeerType("a", "5")}, {1, Peer("b")}, {8, Peer("b")}, {12, Peer("b")},
      {14, PeerType("a", "6")}},
     true, ON, {{"a", 1}},
     {EVENT + "4294967295", EVENT + "1", EVENT + "8", EVENT + "12", EVENT + "14"}},
    {"error lines for any number", true, ON, {},
     {{13, R"({"peerid":"a","type":3,"errcode":-7})"}, {1, R"({"errcode":"x","errcode":12})"}},
     true, ON, {{"a", 3}}, {EVENT + "13", ERROR_LINE + "-7", EVENT + "1", ERROR_LINE + "12"}},
    {"a batch in arrival order", true, "logging_in", {},
     {{2, R"({"errcode":0})"}, {5, Peer("a")}, {13, PeerType("a", "7")}, {5, Peer("b")}, {6, Peer("a")},
      {13, PeerType("b", "3")}, {0, ""}, {5, Peer("c")}},
     false, "disconnected", {},
     {EVENT + "2", ERROR_LINE + "0", EVENT + "5", EVENT + "13", EVENT + "5", EVENT + "6", EVENT + "13",
      EVENT + "0", EVENT + "5"}},
};

}  // namespace

TEST_F(Interpreter, Scenarios) {
    int index = 0;
    for (const Scenario& s : SCENARIOS) {
        SCOPED_TRACE(s.name);
        UseFreshDataDir(L"scenario" + std::to_wstring(index++));
        running = s.running;
        loginState = s.loginState;
        peers = s.peers;
        Queue(s.batch);
        const int redraws = RedrawCount();

        HandleEvents();

        EXPECT_EQ(running, s.runningAfter);
        EXPECT_EQ(loginState, s.loginStateAfter);
        EXPECT_EQ(peers, s.peersAfter);
        EXPECT_EQ(LogMessages(), s.log);
        EXPECT_EQ(RedrawCount() - redraws, 1);
        EXPECT_TRUE(TakeEvents().empty());
    }
}

// Fields that fill the longest text the queue keeps, on the window thread's own stack.
TEST_F(Interpreter, LongestFieldsOnTheWindowThread) {
    UseFreshDataDir();
    running = true;
    loginState = "logging_in";
    const std::string peer(EVENT_TEXT_LIMIT - 11, 'p');
    const std::string type = R"({"peerid":"t","type":)";
    const std::string code = "-" + std::string(EVENT_TEXT_LIMIT - 11, '0');
    const std::string texts[] = {
        R"("peerid":")" + peer + "\"",
        type + std::string(EVENT_TEXT_LIMIT - type.size() - 1, '0') + "7",
        "\"errcode\":" + code,
        "\"peerid\"" + std::string(EVENT_TEXT_LIMIT, ' '),
    };
    const std::uint32_t numbers[] = {5, 13, 2, 5};
    for (int i = 0; i < 4; ++i) {
        ASSERT_LE(texts[i].size(), EVENT_TEXT_LIMIT + 8);
        EventCallback(numbers[i], texts[i].c_str());
    }
    HandleEvents();

    EXPECT_EQ(peers, (PeerMap{{peer, 0}, {"t", 7}}));
    EXPECT_EQ(loginState, "login_failed");
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{EVENT + "5", EVENT + "13", EVENT + "2", ERROR_LINE + code,
                                                       EVENT + "5"}));
}

// Three callbacks before the window thread gets to its messages: one WM_EVENTS handles all three
// in arrival order, with a single redraw.
TEST_F(Interpreter, ABurstIsOneBatchOnTheWindowsMessage) {
    UseFreshDataDir();
    running = true;
    EventCallback(5, R"({"peerid":"a"})");
    EventCallback(13, R"({"peerid":"a","type":4})");
    EventCallback(6, R"({"peerid":"b"})");
    const int redraws = RedrawCount();
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_REMOVE));
    DispatchMessageW(&message);
    EXPECT_FALSE(PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_REMOVE)) << "one message for three";
    EXPECT_EQ(peers, (PeerMap{{"a", 4}}));
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{EVENT + "5", EVENT + "13", EVENT + "6"}));
    EXPECT_EQ(RedrawCount() - redraws, 1);
}

namespace {

// Dispatches this thread's messages until `timers` of them were the events timer's, or until
// `milliseconds` have passed; how many were.
int DispatchTimers(int timers, DWORD milliseconds) {
    int seen = 0;
    const DWORD start = GetTickCount();
    MSG message;
    while (seen < timers && GetTickCount() - start < milliseconds) {
        while (seen < timers && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER && message.wParam == EVENTS_TIMER) ++seen;
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
    return seen;
}

// Events that arrive while a batch is handled are fetched by a timer, which the system hands
// out only after input and painting, so a steady stream cannot keep the user's clicks waiting.
TEST_F(Interpreter, EventsArrivingAfterABatchAreFetchedByTheTimerNotByAPost) {
    UseFreshDataDir();
    running = true;
    EventCallback(5, R"({"peerid":"a"})");
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_REMOVE));
    DispatchMessageW(&message);
    EventCallback(5, R"({"peerid":"b"})");
    EXPECT_FALSE(PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_NOREMOVE));

    const int redraws = RedrawCount();
    // One timer brings b; the next finds the queue empty and arms nothing more.
    EXPECT_EQ(DispatchTimers(2, LONG_WAIT_MS), 2);
    EXPECT_EQ(peers, (PeerMap{{"a", 0}, {"b", 0}}));
    EXPECT_EQ(RedrawCount() - redraws, 2);
    EXPECT_EQ(DispatchTimers(1, 200), 0);

    EventCallback(5, R"({"peerid":"c"})");
    EXPECT_TRUE(PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_NOREMOVE));
}

}  // namespace
