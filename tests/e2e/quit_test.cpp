// Quitting while the library is busy calling back: the console must end cleanly with 0.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/launch.h"
#include "support/tunnel_trace.h"

namespace {

// A stop that reports from inside pgTunnelStop, then a thread that goes on reporting every few
// milliseconds for about ten seconds after it, while the console tears down and exits.
std::string LateReports() {
    std::string script = "after 0 event 2 {\"errcode\":0}\nstop event 6 {\"peerid\":\"LATE\"}\nstop diag 3 stopping\n";
    for (int i = 0; i < 2000; ++i) {
        script += i % 2 ? "late 5 event 5 {\"peerid\":\"LATE\"}\n" : "late 5 diag 4 late report\n";
    }
    return script;
}

std::size_t FinishedThreads(const std::vector<TraceLine>& trace, const std::string& role) {
    return std::count_if(trace.begin(), trace.end(), [&](const TraceLine& line) {
        return line.call == "finished" && line.fields.at("role") == role;
    });
}

}  // namespace

TEST(Quit, EndsCleanlyWhileTheLibraryStillCallsBack) {
    struct Case {
        const char* name;
        std::string configuration;
        std::vector<std::string> handled;  // log lines that show the events are flowing
        long stops;            // how many times the console stops the library
        const char* role;      // the library's threads that the case is about
        std::size_t finished;  // how many of them have ended when the console has
    };
    // Reports that must be seen are sent from inside the start, before the flood can fill the
    // queue and crowd them out.
    const std::string signIn = "start event 2 {\"errcode\":0}\n";
    const std::string flood = "flood 100000000000 4 5 {\"peerid\":\"FLOOD\"}\n";
    const Case cases[] = {
        // Four threads that call back as fast as they can until pgTunnelStop ends them.
        {"flood", signIn + flood, {"SDK event=2", "SDK event=5"}, 1, "flood", 4},
        // The library reported itself stopped, so the console does not stop it: its threads are
        // still calling back when the console releases it and exits.
        {"flood after a reported stop", signIn + "start event 0\n" + flood, {"SDK event=0", "SDK event=5"}, 0,
         "flood", 0},
        // A thread that still calls back while the console releases the library and exits.
        {"late reports", LateReports(), {"SDK event=2"}, 1, "late", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDataFolder();
        const Console console = Launch(LayOut(L"quit", Library::STANDIN, c.configuration));
        ASSERT_NE(WaitForMainWindow(console), nullptr);
        ASSERT_TRUE(WaitUntil([&] {
            const auto log = ConsoleLog();
            return std::all_of(c.handled.begin(), c.handled.end(), [&](const std::string& line) {
                return std::find(log.begin(), log.end(), line) != log.end();
            });
        })) << DescribeConsole(console);
        EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
        const auto trace = ReadTrace(console.folder);
        const auto calls = CallNames(trace);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "pgTunnelStop"), c.stops);
        EXPECT_EQ(FinishedThreads(trace, c.role), c.finished);
    }
}
