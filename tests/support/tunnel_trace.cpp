#include "tunnel_trace.h"

#include <fstream>
#include <sstream>

std::vector<TraceLine> ReadTrace(const std::filesystem::path& folder) {
    std::ifstream file(folder / L"pgTunnelTrace.txt", std::ios::binary);
    std::vector<TraceLine> trace;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        TraceLine entry;
        words >> entry.call;
        for (std::string word; words >> word;) {
            const auto equals = word.find('=');
            entry.fields[word.substr(0, equals)] = equals == std::string::npos ? "" : word.substr(equals + 1);
        }
        trace.push_back(entry);
    }
    return trace;
}

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::vector<std::string> CallNames(const std::vector<TraceLine>& trace) {
    std::vector<std::string> names;
    for (const TraceLine& line : trace) names.push_back(line.call);
    return names;
}
