// Turns queued library events into the tunnel state.
#pragma once
#include <cstdint>

constexpr std::uint32_t EVENT_STOPPED = 0;
constexpr std::uint32_t EVENT_LOGIN_RESULT = 2;
constexpr std::uint32_t EVENT_LOGGED_OUT = 3;         // and 4
constexpr std::uint32_t EVENT_PEER_ONLINE = 5;
constexpr std::uint32_t EVENT_PEER_OFFLINE = 6;       // and 7
constexpr std::uint32_t EVENT_PEER_TYPE = 13;

void HandleEvents();
