#include "players.h"

#include "trace.h"

namespace {

// This library's handle; with addReference, one more reference that must be released.
HMODULE ThisLibrary(bool addReference) {
    HMODULE self = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                        (addReference ? 0 : GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT);
    GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&StartPlayer), &self);
    return self;
}

// Waits ms milliseconds, or until stop is set; false when stopped.
bool Wait(HANDLE stop, std::uint32_t ms) {
    if (!stop) {
        Sleep(ms);
        return true;
    }
    return WaitForSingleObject(stop, ms) == WAIT_TIMEOUT;
}

bool Stopped(HANDLE stop) { return stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }

void Play(const Player& player) {
    std::uint64_t sent = 0;
    for (const Step& step : player.steps) {
        if (!Wait(player.stop, step.delay)) break;
        Send(step, player.events, player.diagnostic);
        ++sent;
    }
    if (player.events) {
        const char* text = player.flood.text.c_str();
        for (std::uint64_t i = 0; i < player.floodCount; ++i) {
            // Looking at the stop event costs a system call; a stop waits at most 256 events.
            if (i % 256 == 0 && Stopped(player.stop)) break;
            player.events(player.flood.number, text);
            ++sent;
        }
    }
    Trace("finished", "role=" + player.role + " sent=" + std::to_string(sent));
}

DWORD WINAPI PlayerMain(void* parameter) {
    Player* player = static_cast<Player*>(parameter);
    Play(*player);
    delete player;
    // Drops the reference that StartPlayer took for this thread, from outside the library's code.
    FreeLibraryAndExitThread(ThisLibrary(false), 0);
}

}  // namespace

void Send(const Step& step, TunnelCallback events, TunnelCallback diagnostic) {
    const TunnelCallback callback = step.diagnostic ? diagnostic : events;
    if (callback) callback(step.number, step.nullText ? nullptr : step.text.c_str());
}

HANDLE StartPlayer(Player* player) {
    const HMODULE self = ThisLibrary(true);
    const HANDLE thread = self ? CreateThread(nullptr, 0, &PlayerMain, player, 0, nullptr) : nullptr;
    if (!thread) {
        delete player;
        if (self) FreeLibrary(self);
    }
    return thread;
}
