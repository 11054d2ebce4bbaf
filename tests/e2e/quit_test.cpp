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
        const char* role;      // the library's threads that the case is about
        std::size_t finished;  // how many of them have ended when the console has
    };
    const Case cases[] = {
        // Four threads that call back as fast as they can until pgTunnelStop ends them.
        {"flood", "after 0 event 2 {\"errcode\":0}\nflood 100000000000 4 5 {\"peerid\":\"FLOOD\"}\n", "flood", 4},
        // A thread that still calls back while the console releases the library and exits.
        {"late reports", LateReports(), "late", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDataFolder();
        WriteBytes(DataFolder() / L"language.txt", "en");
        const Console console = Launch(LayOut(L"quit", Library::STANDIN, c.configuration));
        const HWND window = WaitForMainWindow(console);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Text(ChildAt(window, CHILD_VALUE_ROW_0 + 4)) == L"Signed in to server"; }));
        Sleep(200);
        EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
        const auto trace = ReadTrace(console.folder);
        const auto calls = CallNames(trace);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "pgTunnelStop"), 1);
        EXPECT_EQ(FinishedThreads(trace, c.role), c.finished);
    }
}
