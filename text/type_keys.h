// Connection-type numbers reported by the tunnel library -> translation keys.
#pragma once
#include <cstdint>
#include <string>

std::string TypeKey(std::uint32_t type);
