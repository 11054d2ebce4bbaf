// The three fields of an event text that the console reads.
#pragma once
#include <optional>
#include <string>

// What each field is: group 1 of the leftmost match of its ECMAScript pattern, searched in the
// text's bytes. The matchers below give exactly that without a regular-expression engine.
constexpr const char* PEER_PATTERN = R"re("peerid"\s*:\s*"([^"\\]+)")re";
constexpr const char* TYPE_PATTERN = R"re("type"\s*:\s*(\d+))re";
constexpr const char* ERROR_PATTERN = R"re("errcode"\s*:\s*(-?\d+))re";

std::optional<std::string> PeerField(const std::string& text);
std::optional<std::string> TypeField(const std::string& text);
std::optional<std::string> ErrorField(const std::string& text);
