#include "tunnel_fixture.h"

#include "tunnel/events.h"
#include "tunnel/state.h"

void ResetTunnel() {
    running = false;
    loginState = "disconnected";
    peers.clear();
    {
        std::lock_guard<std::mutex> lock(eventsMutex);
        events.clear();
        wakePending = false;
    }
    accepting = true;
}
