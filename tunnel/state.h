// The tunnel as the console knows it; touched on the window thread only.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>

using ConnectionType = std::uint32_t;
using PeerMap = std::map<std::string, ConnectionType>;

extern const std::array<const char*, 4> LOGIN_STATE_KEYS;

extern bool running;
extern std::string loginState;
extern PeerMap peers;

// The connected peers' IDs in table order, joined by CR LF.
std::wstring DeviceIDs();
