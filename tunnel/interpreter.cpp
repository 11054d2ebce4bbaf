#include "tunnel/interpreter.h"

#include <new>
#include <string>

#include "console/refresh.h"
#include "tunnel/events.h"
#include "tunnel/fields.h"
#include "tunnel/log.h"
#include "tunnel/state.h"

namespace {

const std::string SERVER_PREFIX = "pgTunnelSvr";

// The decimal value of a run of digits, leading zeros allowed; false when it does not fit in
// 32 bits. Accumulates in 64 bits, which cannot overflow while the value still fits.
bool ParseType(const std::string& digits, ConnectionType& type) {
    std::uint64_t value = 0;
    for (const char digit : digits) {
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
        if (value > 0xFFFFFFFFu) return false;
    }
    type = static_cast<ConnectionType>(value);
    return true;
}

// The value is known before the entry is looked up, so a type that does not fit changes nothing.
void SetPeerType(const std::string& peer, const std::string& text) {
    try {
        const auto digits = TypeField(text);
        ConnectionType type = 0;
        if (!digits || !ParseType(*digits, type)) return;
        peers[peer] = type;
    } catch (const std::bad_alloc&) {
        // A peer that cannot be stored is left out; the map is unchanged and the batch goes on.
    }
}

void Apply(const SdkEvent& event) {
    const std::uint32_t number = event.number;
    if (number == EVENT_STOPPED) {
        running = false;
        peers.clear();
        loginState = "disconnected";
        return;
    }
    if (!running) return;
    if (number == EVENT_LOGIN_RESULT) {
        const auto error = ErrorField(event.text);
        loginState = error && *error == "0" ? "logged_in" : "login_failed";
        return;
    }
    if (number == EVENT_LOGGED_OUT || number == 4) {
        loginState = "login_failed";
        peers.clear();
        return;
    }
    const auto peer = PeerField(event.text);
    if (!peer || peer->compare(0, SERVER_PREFIX.size(), SERVER_PREFIX) == 0) return;
    if (number == EVENT_PEER_TYPE) {
        SetPeerType(*peer, event.text);
    } else if (number == EVENT_PEER_ONLINE) {
        peers.emplace(*peer, 0);
    } else if (number == EVENT_PEER_OFFLINE || number == 7) {
        peers.erase(*peer);
    }
}

}  // namespace

void HandleEvents() {
    const std::deque<SdkEvent> batch = TakeEvents();
    if (!batch.empty()) WakeAfterBatch();
    for (const SdkEvent& event : batch) {
        Log("SDK event=" + std::to_string(event.number));
        if (const auto error = ErrorField(event.text)) Log("SDK event error=" + *error);
        Apply(event);
    }
    Refresh();
}
