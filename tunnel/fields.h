// The three fields of an event text that the console reads.
#pragma once
#include <optional>
#include <string>

// Each gives group 1 of the leftmost match of its pattern, or nothing.
std::optional<std::string> PeerField(const std::string& text);   // "peerid"\s*:\s*"([^"\\]+)"
std::optional<std::string> TypeField(const std::string& text);   // "type"\s*:\s*(\d+)
std::optional<std::string> ErrorField(const std::string& text);  // "errcode"\s*:\s*(-?\d+)
