// What the window thread pays per event: HandleEvents on a full batch of 4096 events, typical ones
// and ones of the largest size the queue keeps, next to the log lines alone that the same batch
// writes. Prints figures; run it under Wine with a display.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "console/window.h"
#include "tunnel/events.h"
#include "tunnel/fields.h"
#include "tunnel/interpreter.h"
#include "tunnel/log.h"
#include "tunnel/state.h"

namespace {

const int ROUNDS = 5;

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

std::vector<SdkEvent> TypicalBatch() {
    std::vector<SdkEvent> batch;
    for (std::uint32_t i = 0; batch.size() < EVENT_QUEUE_LIMIT; ++i) {
        const std::string peer = "A1B2C3D4-" + std::to_string(1000 + i % 64);
        const std::string head = R"({"peerid":")" + peer + R"(","time":"2024-06-11 10:22:31")";
        switch (i % 4) {
        case 0: batch.push_back({5, head + R"(,"addr":"192.0.2.17:40213"})"}); break;
        case 1: batch.push_back({13, head + R"(,"type":)" + std::to_string(i % 20) + "}"}); break;
        case 2: batch.push_back({2, R"({"errcode":0,"server":"pgTunnelSvr","msg":"login ok"})"}); break;
        default: batch.push_back({6, head + R"(,"errcode":-1})"}); break;
        }
    }
    return batch;
}

// The three fields come last, so every search runs over the whole text.
std::vector<SdkEvent> LargestBatch() {
    std::vector<SdkEvent> batch;
    for (std::uint32_t i = 0; batch.size() < EVENT_QUEUE_LIMIT; ++i) {
        const std::string tail = R"(","peerid":"A1B2C3D4-)" + std::to_string(1000 + i % 64) +
                                 R"(","type":7,"errcode":0})";
        std::string text = R"({"data":")";
        text += std::string(EVENT_TEXT_LIMIT - text.size() - tail.size(), 'x') + tail;
        batch.push_back({i % 2 ? 13u : 5u, text});
    }
    return batch;
}

// The lines HandleEvents writes for the batch.
std::vector<std::string> LogLines(const std::vector<SdkEvent>& batch) {
    std::vector<std::string> lines;
    for (const SdkEvent& event : batch) {
        lines.push_back("SDK event=" + std::to_string(event.number));
        if (const auto error = ErrorField(event.text)) lines.push_back("SDK event error=" + *error);
    }
    return lines;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void DropWakeUps() {
    MSG message;
    while (PeekMessageW(&message, window, WM_EVENTS, WM_EVENTS, PM_REMOVE)) {
    }
}

void Measure(const char* name, const std::vector<SdkEvent>& batch) {
    const auto lines = LogLines(batch);
    std::vector<double> handling, logging, fields;
    for (int round = 0; round < ROUNDS; ++round) {
        std::error_code error;
        std::filesystem::remove(logPath, error);
        running = true;
        loginState = "logged_in";
        peers.clear();
        for (const SdkEvent& event : batch) EventCallback(event.number, event.text.c_str());
        double start = Seconds();
        HandleEvents();
        handling.push_back(Seconds() - start);
        DropWakeUps();

        std::filesystem::remove(logPath, error);
        start = Seconds();
        for (const std::string& line : lines) Log(line);
        logging.push_back(Seconds() - start);

        start = Seconds();
        std::size_t found = 0;
        for (const SdkEvent& event : batch) {
            found += ErrorField(event.text).has_value() + PeerField(event.text).has_value() +
                     TypeField(event.text).has_value();
        }
        fields.push_back(Seconds() - start);
        if (found == 0) std::printf("(no field found)\n");
    }
    const double perEvent = 1e6 / double(batch.size());
    std::printf("%-28s %5zu events, %5zu log lines: HandleEvents %8.2f us/event (batch %7.1f ms); "
                "log lines alone %8.2f us/event; three field searches %7.2f us/event\n",
                name, batch.size(), lines.size(), Median(handling) * perEvent, Median(handling) * 1e3,
                Median(logging) * perEvent, Median(fields) * perEvent);
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dataDir = std::filesystem::path(temp) / L"tambrix-handle-events-bench";
    std::filesystem::create_directories(dataDir);
    logPath = dataDir / L"TAMBRIX-P2P.log";

    CreateConsole(GetModuleHandleW(nullptr));
    const bool console = window != nullptr;
    if (!console) {
        window = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    std::printf("window: %s; %d rounds, medians\n", console ? "the console's (hidden), with its redraw"
                                                            : "a plain hidden window (no console yet)",
                ROUNDS);
    Measure("typical (about 90 bytes)", TypicalBatch());
    Measure("16384 bytes, fields last", LargestBatch());

    std::error_code error;
    std::filesystem::remove_all(dataDir, error);
    if (console) Shell_NotifyIconW(NIM_DELETE, &tray);
    DestroyWindow(window);
    return 0;
}
