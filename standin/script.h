// The stand-in's configuration text: a small line-based script that says what each export
// returns and which events and diagnostic reports the library sends, when and from where.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Where a step is played.
enum class Phase {
    START,  // inside pgTunnelStart, on the caller's thread, before it returns
    AFTER,  // on the worker thread that a successful pgTunnelStart leaves running
    STOP,   // inside pgTunnelStop, on the caller's thread, after the workers have ended
    LATE,   // on a thread that pgTunnelStop starts and that outlives it
};

// One call of a callback.
struct Step {
    Phase phase;
    std::uint32_t delay;   // milliseconds to wait before the step (AFTER and LATE only)
    bool diagnostic;       // the diagnostic callback instead of the event callback
    std::uint32_t number;  // event number or diagnostic level
    bool nullText;         // pass a null text instead of text
    std::string text;
};

// The same event sent count times in all, shared out among threads, as fast as they can.
struct Flood {
    std::uint64_t count;
    std::uint32_t threads;
    std::uint32_t number;
    std::string text;
};

struct Script {
    int configResult = 0;
    int startResult = 0;
    std::vector<Step> steps;
    std::vector<Flood> floods;
};

// Reads a script; lines it does not understand are skipped, so any bytes are a valid script.
// A null text reads as an empty script.
Script ParseScript(const char* text);
