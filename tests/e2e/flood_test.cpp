// Quitting while eight library threads flood the console with events and another thread sends
// diagnostic reports: the console must end promptly and cleanly, and its log hold only whole lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <sstream>

#include "support/drive.h"
#include "support/launch.h"
#include "support/tunnel_trace.h"

namespace {

// Far more events than the test lasts for: the flood is still on when the user says Yes.
constexpr unsigned long long FLOOD_COUNT = 1000000000ULL;

std::string FloodScript() {
    std::ostringstream script;
    script << "after 0 event 2 {\"errcode\":0}\n"
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
    Sleep(500);  // the events keep coming, and are handled, while the question waits
    const ULONGLONG answered = GetTickCount64();
    Answer(question, IDYES);
    const auto exitCode = WaitForExit(console, 20000);
    const ULONGLONG took = GetTickCount64() - answered;
    EndConsole(console);
    EXPECT_EQ(exitCode, std::optional<DWORD>(0));
    // The answer waits for the batch being handled: up to 4096 events of two lines each, and
    // every line opens and closes the log, which takes a few seconds under Wine.
    EXPECT_LT(took, 10000u) << "from Yes to the end of the process";

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

// Disabled: fails today. While events keep coming, a WM_EVENTS is posted again during every batch,
// and posted messages are taken before input, so the user's clicks (and painting) wait until the
// library falls silent. Enable it once the window thread lets input in between batches.
TEST(Flood, ClickOnStopIsHandledWhileEventsKeepComing) {
    const struct {
        const char* what;
        std::string script;
    } cases[] = {
        {"quiet", "after 0 event 2 {\"errcode\":0}\nafter 0 event 5 {\"peerid\":\"PEER\"}\n"},
        {"one thread flooding", "after 0 event 2 {\"errcode\":0}\nflood 1000000000 1 5 {\"peerid\":\"PEER\"}\n"},
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
        }, 10000));
        EndConsole(console);
    }
}
