#include "script.h"

#include <limits>

namespace {

constexpr std::uint32_t MAX_THREADS = 64;

// The next token of line from position at: a run of bytes other than space and tab.
std::string NextToken(const std::string& line, std::size_t& at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    return line.substr(start, at - start);
}

// The text after a step's number: everything after the one separator that follows it.
std::string RestOfLine(const std::string& line, std::size_t at) {
    return at < line.size() ? line.substr(at + 1) : std::string();
}

// Decimal digits only, up to high; false on anything else or on overflow.
bool ParseUnsigned(const std::string& token, unsigned long long high, unsigned long long& value) {
    if (token.empty()) return false;
    value = 0;
    for (const char c : token) {
        if (c < '0' || c > '9') return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (high - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

bool ParseInt(const std::string& token, int& value) {
    const bool negative = !token.empty() && token[0] == '-';
    unsigned long long magnitude = 0;
    const unsigned long long high = negative ? 2147483648ULL : 2147483647ULL;
    if (!ParseUnsigned(token.substr(negative ? 1 : 0), high, magnitude)) return false;
    value = negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
    return true;
}

// "event N TEXT", "null-event N", "diag L TEXT" or "null-diag L" from position at.
bool ParseCall(const std::string& line, std::size_t at, Step& step) {
    const std::string kind = NextToken(line, at);
    step.diagnostic = kind == "diag" || kind == "null-diag";
    step.nullText = kind == "null-event" || kind == "null-diag";
    if (!step.diagnostic && kind != "event" && kind != "null-event") return false;
    unsigned long long number = 0;
    if (!ParseUnsigned(NextToken(line, at), 0xFFFFFFFFULL, number)) return false;
    step.number = static_cast<std::uint32_t>(number);
    if (!step.nullText) step.text = RestOfLine(line, at);
    return step.nullText ? NextToken(line, at).empty() : true;
}

void ParseLine(const std::string& line, Script& script) {
    std::size_t at = 0;
    const std::string keyword = NextToken(line, at);
    unsigned long long value = 0;
    if (keyword == "config-result" || keyword == "start-result") {
        int code = 0;
        if (!ParseInt(NextToken(line, at), code) || !NextToken(line, at).empty()) return;
        (keyword == "config-result" ? script.configResult : script.startResult) = code;
        return;
    }
    if (keyword == "flood") {
        Flood flood;
        unsigned long long threads = 0, number = 0;
        if (!ParseUnsigned(NextToken(line, at), std::numeric_limits<std::uint64_t>::max(), value) ||
            !ParseUnsigned(NextToken(line, at), MAX_THREADS, threads) || threads == 0 ||
            !ParseUnsigned(NextToken(line, at), 0xFFFFFFFFULL, number)) {
            return;
        }
        flood.count = value;
        flood.threads = static_cast<std::uint32_t>(threads);
        flood.number = static_cast<std::uint32_t>(number);
        flood.text = RestOfLine(line, at);
        script.floods.push_back(flood);
        return;
    }
    Step step{};
    if (keyword == "start") {
        step.phase = Phase::START;
    } else if (keyword == "stop") {
        step.phase = Phase::STOP;
    } else if (keyword == "after" || keyword == "late") {
        step.phase = keyword == "after" ? Phase::AFTER : Phase::LATE;
        if (!ParseUnsigned(NextToken(line, at), 0xFFFFFFFEULL, value)) return;
        step.delay = static_cast<std::uint32_t>(value);
    } else {
        return;
    }
    if (ParseCall(line, at, step)) script.steps.push_back(step);
}

}  // namespace

Script ParseScript(const char* text) {
    Script script;
    if (!text) return script;
    std::string content(text);
    // A byte-order mark is not part of the first line's keyword.
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
    std::size_t start = 0;
    while (start <= content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ParseLine(line, script);
        start = end + 1;
    }
    return script;
}
