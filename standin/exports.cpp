// The four exports. The caller calls them from one thread at a time; the library's own
// threads only read what they were handed when they started.
#include <windows.h>

#include <string>
#include <vector>

#include "players.h"
#include "script.h"
#include "trace.h"
#include "tunnel/library.h"

namespace {

Script script;
TunnelCallback eventCallback = nullptr;
TunnelCallback diagnosticCallback = nullptr;
// The worker and flood threads of the running tunnel, and the event that ends them.
HANDLE stopEvent = nullptr;
std::vector<HANDLE> threads;

std::vector<Step> StepsOf(Phase phase) {
    std::vector<Step> steps;
    for (const Step& step : script.steps) {
        if (step.phase == phase) steps.push_back(step);
    }
    return steps;
}

void SendAll(Phase phase) {
    for (const Step& step : StepsOf(phase)) Send(step, eventCallback, diagnosticCallback);
}

void Start(Player* player) {
    const HANDLE thread = StartPlayer(player);
    if (thread) threads.push_back(thread);
}

void StartThreads() {
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::vector<Step> steps = StepsOf(Phase::AFTER);
    if (!steps.empty()) Start(new Player{"worker", steps, {}, 0, eventCallback, diagnosticCallback, stopEvent});
    for (const Flood& flood : script.floods) {
        for (std::uint32_t i = 0; i < flood.threads; ++i) {
            // The first threads take one more event each when the count does not share out evenly.
            const std::uint64_t share = flood.count / flood.threads + (i < flood.count % flood.threads ? 1 : 0);
            Start(new Player{"flood", {}, flood, share, eventCallback, nullptr, stopEvent});
        }
    }
}

void JoinThreads() {
    if (stopEvent) SetEvent(stopEvent);
    for (const HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    threads.clear();
    if (stopEvent) CloseHandle(stopEvent);
    stopEvent = nullptr;
}

}  // namespace

extern "C" int pgTunnelSetCfgParam(const char* configuration) {
    Trace("pgTunnelSetCfgParam", "text=" + HexText(configuration));
    script = ParseScript(configuration);
    return script.configResult;
}

extern "C" int pgTunnelCallbackSet(TunnelCallback events) {
    Trace("pgTunnelCallbackSet", "callback=" + CallbackText(reinterpret_cast<const void*>(events)));
    eventCallback = events;
    return 0;
}

extern "C" int pgTunnelStart(const char* empty, const char* parameter, int zero, TunnelCallback diagnostic) {
    Trace("pgTunnelStart", "empty=" + HexText(empty) + " parameter=" + HexText(parameter) +
                               " zero=" + std::to_string(zero) +
                               " diagnostic=" + CallbackText(reinterpret_cast<const void*>(diagnostic)));
    // A start after the library reported itself stopped comes without a stop in between.
    JoinThreads();
    diagnosticCallback = diagnostic;
    SendAll(Phase::START);
    if (script.startResult == 0) StartThreads();
    return script.startResult;
}

extern "C" int pgTunnelStop() {
    Trace("pgTunnelStop", "");
    JoinThreads();
    SendAll(Phase::STOP);
    const std::vector<Step> late = StepsOf(Phase::LATE);
    if (!late.empty()) {
        const HANDLE thread = StartPlayer(new Player{"late", late, {}, 0, eventCallback, diagnosticCallback, nullptr});
        if (thread) CloseHandle(thread);
    }
    return 0;
}
