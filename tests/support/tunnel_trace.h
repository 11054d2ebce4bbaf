// Reading "pgTunnelTrace.txt", the stand-in library's record of every call it received.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// One line: the call (an export's name, or "finished" for a thread of the library that ended)
// and its fields, texts still hex-encoded.
struct TraceLine {
    std::string call;
    std::map<std::string, std::string> fields;
};

// The lines of the trace in folder; none when it does not exist.
std::vector<TraceLine> ReadTrace(const std::filesystem::path& folder);
// The bytes a hex-encoded text field stands for.
std::string FromHex(const std::string& hex);
// The calls of the trace in order, e.g. {"pgTunnelSetCfgParam", "pgTunnelCallbackSet", ...}.
std::vector<std::string> CallNames(const std::vector<TraceLine>& trace);
