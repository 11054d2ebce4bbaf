// Quitting while eight library threads flood the console with events and another thread sends
// diagnostic reports: the console must end promptly and cleanly, and its log hold only whole lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <sstream>

#include "support/drive.h"
#include "support/launch.h"
#include "support/tunnel_trace.h"
#include "tunnel/events.h"

namespace {

// Far more events than the test lasts for: the flood is still on when the user says Yes.
constexpr unsigned long long FLOOD_COUNT = 1000000000ULL;

std::string FloodScript() {
    std::ostringstream script;
    // Signed in from inside the start, before the flood can fill the queue and crowd it out.
    script << "start event 2 {\"errcode\":0}\n"
           << "flood " << FLOOD_COUNT << " 8 5 {\"peerid\":\"FLOOD\",\"errcode\":1}\n";
    // Lines from a second writer, the diagnostic callback on the library's worker thread.
    for (int i = 0; i < 1000; ++i) script << "after 10 diag 3 busy\n";
    return script.str();
}

// The log's lines, each with its CR LF; a last line without one stays as it is.
std::vector<std::string> RawLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", begin);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 2;
        lines.push_back(bytes.substr(begin, next - begin));
        begin = next;
    }
    return lines;
}

// How many events the console has logged so far.
std::size_t EventsLogged() {
    const std::string bytes = ReadBytes(DataFolder() / L"TAMBRIX-P2P.log");
    std::size_t count = 0;
    for (std::size_t at = bytes.find("] SDK event="); at != std::string::npos; at = bytes.find("] SDK event=", at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST(Flood, QuitDuringAFloodEndsPromptlyAndLeavesOnlyWholeLogLines) {
    FreshDataFolder("en");
    const Console console = Launch(LayOut(L"flood", Library::STANDIN, FloodScript()));
    const HWND window = WaitForMainWindow(console);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Text(ChildAt(window, CHILD_VALUE_ROW_0)) == L"FLOOD"; }));

    PostMessageW(window, WM_CLOSE, 0, 0);
    const HWND question = WaitForMessageBox(console);
    ASSERT_NE(question, nullptr);
    // The events keep coming, and are handled, while the question waits: two whole batches more,
    // and into the middle of the next, so that the answer comes while a batch is being handled.
    // How long that took gives the time of one batch, on this machine under its present load; the
    // limit below is derived from it.
    const ULONGLONG measureFrom = GetTickCount64();
    const std::size_t eventsFrom = EventsLogged();
    const std::size_t eventsWanted = eventsFrom + 2 * EVENT_QUEUE_LIMIT + EVENT_QUEUE_LIMIT / 2;
    std::size_t eventsTo = eventsFrom;
    ASSERT_TRUE(WaitUntil([&] { return (eventsTo = EventsLogged()) >= eventsWanted; }))
        << "events handled while the question waited: " << eventsTo - eventsFrom << "\n" << DescribeConsole(console);
    const DWORD batch =
        static_cast<DWORD>((GetTickCount64() - measureFrom) * EVENT_QUEUE_LIMIT / (eventsTo - eventsFrom));

    const ULONGLONG answered = GetTickCount64();
    Answer(question, IDYES);
    // The answer waits for the batch being handled, up to 4096 events of two lines each, and
    // every line opens and closes the log; then the stop ends the library's threads. So a prompt
    // end is within that batch and five seconds for the stop, the end of the process and the
    // noise of a busy machine; and within ten seconds wherever a batch takes five or less.
    const DWORD prompt = std::max<DWORD>(10000, batch + 5000);
    const auto exitCode = WaitForExit(console, std::max(LONG_WAIT_MS, 2 * prompt));
    const ULONGLONG took = GetTickCount64() - answered;
    EndConsole(console);
    EXPECT_EQ(exitCode, std::optional<DWORD>(0));
    EXPECT_LT(took, prompt) << "from Yes to the end of the process, with batches of " << batch << " ms";
    std::printf("one batch of the flood: %lu ms; from Yes to the end: %llu ms\n", static_cast<unsigned long>(batch),
                took);

    // The stop ended every flood thread before it had sent all its events.
    unsigned long long sent = 0;
    int floods = 0;
    for (const TraceLine& line : ReadTrace(console.folder)) {
        if (line.call == "finished" && line.fields.at("role") == "flood") {
            ++floods;
            sent += std::stoull(line.fields.at("sent"));
        }
    }
    EXPECT_EQ(floods, 8);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, FLOOD_COUNT);

    const std::string bytes = ReadBytes(DataFolder() / L"TAMBRIX-P2P.log");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::regex whole(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"
                           R"((SDK event=\d+|SDK event error=-?\d+|SDK started|SDK diagnostic event; level=\d+)\r\n)");
    // Each event's line is followed by its error line, whatever the other writer put between.
    const std::map<std::string, std::string> errorOf = {{"SDK event=2", "SDK event error=0"},
                                                        {"SDK event=5", "SDK event error=1"}};
    std::string awaited;
    std::size_t events = 0, diagnostics = 0, bad = 0;
    for (const std::string& line : RawLines(bytes)) {
        if (!std::regex_match(line, whole)) {
            if (++bad <= 5) ADD_FAILURE() << "not a whole line: " << line;
            continue;
        }
        const std::string message = line.substr(22, line.size() - 24);
        if (message.rfind("SDK diagnostic event", 0) == 0) {
            ++diagnostics;
            continue;
        }
        if (!awaited.empty()) {
            EXPECT_EQ(message, awaited);
            awaited.clear();
        } else if (errorOf.count(message)) {
            ++events;
            awaited = errorOf.at(message);
        }
    }
    EXPECT_EQ(bad, 0u);
    EXPECT_TRUE(awaited.empty()) << "the last event's error line is missing";
    EXPECT_GT(events, 4096u) << "more than one full batch was handled";
    EXPECT_GT(diagnostics, 0u);
}

// Posted messages are taken before input: if every batch posted the next wake-up, the user's
// clicks (and painting) would wait until the library falls silent.
TEST(Flood, ClickOnStopIsHandledWhileEventsKeepComing) {
    const struct {
        const char* what;
        std::string script;
    } cases[] = {
        {"quiet", "start event 2 {\"errcode\":0}\nafter 0 event 5 {\"peerid\":\"PEER\"}\n"},
        {"one thread flooding", "start event 2 {\"errcode\":0}\nflood 1000000000 1 5 {\"peerid\":\"PEER\"}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FreshDataFolder("en");
        const Console console = Launch(LayOut(L"floodclick", Library::STANDIN, c.script));
        const HWND window = WaitForMainWindow(console);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Text(ChildAt(window, CHILD_VALUE_ROW_0)) == L"PEER"; }));
        ClickWithTheMouse(ChildAt(window, CHILD_STOP));
        EXPECT_TRUE(WaitUntil([&] {
            const auto calls = CallNames(ReadTrace(console.folder));
            return std::find(calls.begin(), calls.end(), "pgTunnelStop") != calls.end();
        })) << DescribeConsole(console);
        EndConsole(console);
    }
}
