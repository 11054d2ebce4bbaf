// The stand-in tunnel library, loaded as the console loads it, played by scripts.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "support/launch.h"
#include "support/tunnel_trace.h"
#include "tunnel/library.h"

namespace {

struct Received {
    bool diagnostic;
    std::uint32_t number;
    bool nullText;
    std::string text;
    DWORD thread;
};

std::mutex receivedMutex;
std::vector<Received> received;

void Record(bool diagnostic, std::uint32_t number, const char* text) {
    const std::lock_guard<std::mutex> lock(receivedMutex);
    received.push_back({diagnostic, number, text == nullptr, text ? text : "", GetCurrentThreadId()});
}
void OnEvent(std::uint32_t number, const char* text) { Record(false, number, text); }
void OnDiagnostic(std::uint32_t level, const char* text) { Record(true, level, text); }

std::vector<Received> Snapshot() {
    const std::lock_guard<std::mutex> lock(receivedMutex);
    return received;
}

struct Exports {
    HMODULE library;
    TunnelConfigFunction config;
    TunnelCallbackSetFunction callbackSet;
    TunnelStartFunction start;
    TunnelStopFunction stop;
    std::filesystem::path folder;
};

template <typename F>
F Export(HMODULE library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// A private copy of the library, so that tests running side by side keep their traces apart.
Exports LoadStandIn() {
    const auto folder = FreshFolder(L"standin");
    std::filesystem::copy_file(BinFolder() / L"standin" / L"pgDllTunnel.dll", folder / L"pgDllTunnel.dll");
    const HMODULE library = LoadLibraryW((folder / L"pgDllTunnel.dll").c_str());
    return {library,
            Export<TunnelConfigFunction>(library, "pgTunnelSetCfgParam"),
            Export<TunnelCallbackSetFunction>(library, "pgTunnelCallbackSet"),
            Export<TunnelStartFunction>(library, "pgTunnelStart"),
            Export<TunnelStopFunction>(library, "pgTunnelStop"),
            folder};
}

bool WaitForReceived(std::size_t count, DWORD timeoutMs = LONG_WAIT_MS) {
    return WaitUntil([&] { return Snapshot().size() >= count; }, timeoutMs);
}

std::vector<TraceLine> Finished(const std::vector<TraceLine>& trace, const std::string& role) {
    std::vector<TraceLine> lines;
    for (const TraceLine& line : trace) {
        if (line.call == "finished" && line.fields.at("role") == role) lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(StandIn, ReturnsTheCodesItsScriptNames) {
    struct Case {
        const char* script;
        int configResult;
        int startResult;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"config-result -5", -5, 0},
        {"start-result -2147483648\n", 0, -2147483648},
        {"\xEF\xBB\xBF" "config-result 7\r\nstart-result 3\r\n", 7, 3},
        {"  config-result\t 4  \n# the last line of a kind counts\nconfig-result 9", 9, 0},
        // Nothing here is understood: numbers out of range or malformed, unknown keywords, stray bytes.
        {"config-result 5x\nconfig-result\nstart-result 2147483648\nConfig-Result 1\n\xFF\xFE garbage\n"
         "config-result 1 2\nafter -1 event 1\nflood 10 0 5 x",
         0, 0},
    };
    const Exports standIn = LoadStandIn();
    ASSERT_NE(standIn.library, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(standIn.config(c.script), c.configResult);
        EXPECT_EQ(standIn.start("", "(DevID){X}", 0, &OnDiagnostic), c.startResult);
        standIn.stop();
    }
    EXPECT_TRUE(Snapshot().empty());
    FreeLibrary(standIn.library);
}

TEST(StandIn, TracesEveryCallWithItsBytes) {
    const std::string configuration = "\xEF\xBB\xBF" "after 1 event 2 x\r\n\xFF\x01 end";
    const Exports standIn = LoadStandIn();
    standIn.config(configuration.c_str());
    standIn.callbackSet(nullptr);
    standIn.callbackSet(&OnEvent);
    standIn.start("", "(DevID){0A1B}", 0, &OnDiagnostic);
    ASSERT_TRUE(WaitForReceived(1));
    ASSERT_TRUE(WaitUntil([&] { return ReadTrace(standIn.folder).size() == 5; }));
    standIn.stop();
    standIn.config(nullptr);
    standIn.start(nullptr, "", 7, nullptr);
    standIn.stop();
    FreeLibrary(standIn.library);

    const auto trace = ReadTrace(standIn.folder);
    const std::vector<std::string> calls = {
        "pgTunnelSetCfgParam", "pgTunnelCallbackSet", "pgTunnelCallbackSet", "pgTunnelStart", "finished",
        "pgTunnelStop", "pgTunnelSetCfgParam", "pgTunnelStart", "pgTunnelStop"};
    ASSERT_EQ(CallNames(trace), calls);
    EXPECT_EQ(FromHex(trace[0].fields.at("text")), configuration);
    EXPECT_EQ(trace[1].fields.at("callback"), "null");
    EXPECT_EQ(trace[2].fields.at("callback"), "set");
    EXPECT_EQ(trace[3].fields.at("empty"), "");
    EXPECT_EQ(FromHex(trace[3].fields.at("parameter")), "(DevID){0A1B}");
    EXPECT_EQ(trace[3].fields.at("zero"), "0");
    EXPECT_EQ(trace[3].fields.at("diagnostic"), "set");
    EXPECT_NE(trace[4].fields.at("thread"), trace[3].fields.at("thread"));
    EXPECT_EQ(trace[6].fields.at("text"), "null");
    EXPECT_EQ(trace[7].fields.at("empty"), "null");
    EXPECT_EQ(trace[7].fields.at("zero"), "7");
    EXPECT_EQ(trace[7].fields.at("diagnostic"), "null");
    for (const std::size_t i : {0, 1, 3, 5, 8}) {
        EXPECT_EQ(trace[i].fields.at("thread"), std::to_string(GetCurrentThreadId())) << calls[i];
    }
}

TEST(StandIn, SendsEachStepFromWhereTheScriptSays) {
    const Exports standIn = LoadStandIn();
    standIn.config(
        "start event 1 inside start\n"
        "start diag 3 starting\n"
        "after 150 event 2 {\"errcode\":0}\n"
        "after 0 null-event 5\n"
        "after 0 event 6\n"
        "after 0 null-diag 4294967295\n"
        "stop event 0 inside stop\n"
        "late 200 event 13 {\"peerid\":\"late\",\"type\":4}\n");
    standIn.callbackSet(&OnEvent);
    const DWORD caller = GetCurrentThreadId();
    const ULONGLONG started = GetTickCount64();
    ASSERT_EQ(standIn.start("", "(DevID){X}", 0, &OnDiagnostic), 0);
    EXPECT_EQ(Snapshot().size(), 2u) << "start steps are sent before pgTunnelStart returns";
    ASSERT_TRUE(WaitForReceived(6));
    standIn.stop();
    const auto atStop = Snapshot();
    ASSERT_TRUE(WaitForReceived(8));
    const auto all = Snapshot();

    struct Expected {
        bool diagnostic;
        std::uint32_t number;
        bool nullText;
        std::string text;
        bool onCaller;
    };
    const Expected expected[] = {
        {false, 1, false, "inside start", true},
        {true, 3, false, "starting", true},
        {false, 2, false, "{\"errcode\":0}", false},
        {false, 5, true, "", false},
        {false, 6, false, "", false},
        {true, 4294967295u, true, "", false},
        {false, 0, false, "inside stop", true},
        {false, 13, false, "{\"peerid\":\"late\",\"type\":4}", false},
    };
    ASSERT_EQ(all.size(), std::size(expected));
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i].diagnostic, expected[i].diagnostic);
        EXPECT_EQ(all[i].number, expected[i].number);
        EXPECT_EQ(all[i].nullText, expected[i].nullText);
        EXPECT_EQ(all[i].text, expected[i].text);
        EXPECT_EQ(all[i].thread == caller, expected[i].onCaller);
    }
    EXPECT_EQ(atStop.size(), 7u) << "the late step comes after pgTunnelStop has returned";
    EXPECT_NE(all[7].thread, all[2].thread) << "the late thread is not the worker";
    EXPECT_GE(GetTickCount64() - started, 300u) << "steps wait for their delays";
    ASSERT_TRUE(WaitUntil([&] { return !Finished(ReadTrace(standIn.folder), "late").empty(); }));
    EXPECT_EQ(Finished(ReadTrace(standIn.folder), "late")[0].fields.at("sent"), "1");
    FreeLibrary(standIn.library);
}

TEST(StandIn, FloodsFromSeveralThreadsAndStopEndsEveryWorker) {
    const Exports standIn = LoadStandIn();
    standIn.callbackSet(&OnEvent);

    // A bounded flood: every event arrives, from as many threads as asked.
    standIn.config("flood 1000 3 7 flood text");
    standIn.start("", "(DevID){X}", 0, &OnDiagnostic);
    ASSERT_TRUE(WaitForReceived(1000));
    standIn.stop();
    auto all = Snapshot();
    EXPECT_EQ(all.size(), 1000u);
    std::set<DWORD> threads;
    for (const Received& event : all) {
        threads.insert(event.thread);
        EXPECT_EQ(event.number, 7u);
        EXPECT_EQ(event.text, "flood text");
    }
    EXPECT_EQ(threads.size(), 3u);
    std::vector<std::string> shares;
    for (const TraceLine& line : Finished(ReadTrace(standIn.folder), "flood")) shares.push_back(line.fields.at("sent"));
    std::sort(shares.begin(), shares.end());
    EXPECT_EQ(shares, (std::vector<std::string>{"333", "333", "334"}));

    // An endless flood and a long wait: pgTunnelStop ends both at once and waits for them.
    standIn.config("after 600000 event 1\nflood 18446744073709551615 4 5 x");
    standIn.start("", "(DevID){X}", 0, &OnDiagnostic);
    ASSERT_TRUE(WaitForReceived(5000));
    const ULONGLONG stopping = GetTickCount64();
    standIn.stop();
    EXPECT_LT(GetTickCount64() - stopping, 3000u);
    const auto trace = ReadTrace(standIn.folder);
    EXPECT_EQ(Finished(trace, "flood").size(), 3u + 4u);
    EXPECT_EQ(Finished(trace, "worker").size(), 1u);
    EXPECT_EQ(trace.back().call, "finished") << "workers end inside pgTunnelStop";
    const std::size_t afterStop = Snapshot().size();
    Sleep(100);
    EXPECT_EQ(Snapshot().size(), afterStop) << "nothing is sent once pgTunnelStop has returned";
    FreeLibrary(standIn.library);
}

TEST(StandIn, LateThreadOutlivesTheReleaseOfTheLibrary) {
    const Exports standIn = LoadStandIn();
    standIn.config("late 300 event 9 after release\nlate 50 diag 3 still here");
    standIn.callbackSet(&OnEvent);
    standIn.start("", "(DevID){X}", 0, &OnDiagnostic);
    standIn.stop();
    FreeLibrary(standIn.library);
    // The thread holds its own reference, so the library's code stays mapped until it ends.
    ASSERT_TRUE(WaitForReceived(2));
    EXPECT_EQ(Snapshot()[0].text, "after release");
    EXPECT_EQ(Snapshot()[1].text, "still here");
    EXPECT_TRUE(WaitUntil([] { return GetModuleHandleW(L"pgDllTunnel.dll") == nullptr; }))
        << "the last reference goes with the thread";
}
