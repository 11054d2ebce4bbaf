// How long the user waits for the console to end after answering Yes to the quit question: from
// the Yes posted to the end of the process, with eight library threads flooding events and with
// a quiet library, side by side. Drives the real console beside the stand-in library; run it
// under Wine with a display. The optional argument is the number of runs of each (default 5).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/drive.h"
#include "support/launch.h"

namespace {

const std::string QUIET = "after 0 event 2 {\"errcode\":0}\nafter 0 event 5 {\"peerid\":\"PEER\"}\n";
const std::string FLOOD = "after 0 event 2 {\"errcode\":0}\nflood 1000000000 8 5 {\"peerid\":\"PEER\",\"errcode\":1}\n";

double Milliseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(now.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds from Yes to the process's end, or a negative number when a step failed.
double QuitTime(const std::string& script) {
    FreshDataFolder("en");
    const Console console = Launch(LayOut(L"bench", Library::STANDIN, script));
    const HWND window = WaitForMainWindow(console, 30000);
    double took = -1;
    if (window && WaitUntil([&] { return Text(ChildAt(window, CHILD_VALUE_ROW_0)) == L"PEER"; }, 30000)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (const HWND question = WaitForMessageBox(console, 30000)) {
            Sleep(300);
            const double answered = Milliseconds();
            Answer(question, IDYES);
            if (WaitForSingleObject(console.process, 60000) == WAIT_OBJECT_0) took = Milliseconds() - answered;
        }
    }
    EndConsole(console);
    return took;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> quiet, flood;
    std::printf("From Yes to the end of the process, in milliseconds\n");
    std::printf("%-6s %12s %18s\n", "run", "quiet", "8 threads flood");
    for (int run = 1; run <= runs; ++run) {
        quiet.push_back(QuitTime(QUIET));
        flood.push_back(QuitTime(FLOOD));
        std::printf("%-6d %12.1f %18.1f\n", run, quiet.back(), flood.back());
        std::fflush(stdout);
    }
    std::printf("%-6s %12.1f %18.1f\n", "min", *std::min_element(quiet.begin(), quiet.end()),
                *std::min_element(flood.begin(), flood.end()));
    std::printf("%-6s %12.1f %18.1f\n", "median", Median(quiet), Median(flood));
    std::printf("%-6s %12.1f %18.1f\n", "max", *std::max_element(quiet.begin(), quiet.end()),
                *std::max_element(flood.begin(), flood.end()));
    ClearDataFolder();
    return 0;
}
