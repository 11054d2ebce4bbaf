#include "tunnel/state.h"

#include "text/convert.h"

const std::array<const char*, 4> LOGIN_STATE_KEYS = {"disconnected", "logging_in", "logged_in",
                                                     "login_failed"};

bool running = false;
std::string loginState = "disconnected";
PeerMap peers;

std::wstring DeviceIDs() {
    std::wstring text;
    for (const auto& entry : peers) {
        if (!text.empty()) text += L"\r\n";
        text += Wide(entry.first);
    }
    return text;
}
