// The library's own threads: the worker that plays the script after a start, the flood
// threads, and the late thread that goes on after a stop.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "script.h"
#include "tunnel/library.h"

// What one thread plays; the thread owns it and frees it when done.
struct Player {
    std::string role;           // "worker", "flood" or "late", for the trace
    std::vector<Step> steps;    // played in order, each after its delay (worker and late)
    Flood flood;                // the event this thread repeats,
    std::uint64_t floodCount;   // this thread's share of the flood (0 for the other roles)
    TunnelCallback events;      // either callback may be null: its steps are then skipped
    TunnelCallback diagnostic;
    HANDLE stop;                // set to end the thread early; null for a late thread
};

// Calls the callback that step names, if it is there.
void Send(const Step& step, TunnelCallback events, TunnelCallback diagnostic);

// Starts a thread that plays player; the thread holds a reference on this library, so that it
// never runs in unloaded code when the caller frees the library while it is still running.
// Returns the thread's handle, or null if it could not start (player is then freed).
HANDLE StartPlayer(Player* player);
