// The field matchers give exactly what an ECMAScript regular-expression search for each pattern
// gives as group 1 of its leftmost match:
//
//   peer   "peerid"\s*:\s*"([^"\\]+)"
//   type   "type"\s*:\s*(\d+)
//   error  "errcode"\s*:\s*(-?\d+)
//
// with \s one of space, tab, LF, VT, FF, CR, and every byte (0x80 and above too) an ordinary
// character. They are written by hand because a backtracking engine recurses once per character
// of a repetition and runs out of stack on the 16384-byte texts the library may send. None of the
// patterns can gain from backtracking (no repetition can give back a character that the next
// element would accept), so one forward pass per candidate place decides it, and the places that
// the passes read overlap by at most one byte: linear time, constant stack.
#include "tunnel/fields.h"

#include <cstddef>

namespace {

const std::string PEER_NAME = "\"peerid\"";
const std::string TYPE_NAME = "\"type\"";
const std::string ERROR_NAME = "\"errcode\"";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(const std::string& text, std::size_t at) {
    while (at < text.size() && IsSpace(text[at])) ++at;
    return at;
}

std::size_t SkipDigits(const std::string& text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

// Each takes the place right after `\s*:\s*` and gives the end of group 1 when the rest of its
// pattern matches there, or `from` itself when it does not.

// "([^"\\]+)" : the run cannot hold a quote, so it matches only when it ends at one.
std::size_t PeerValueEnd(const std::string& text, std::size_t from) {
    if (from >= text.size() || text[from] != '"') return from;
    std::size_t end = from + 1;
    while (end < text.size() && text[end] != '"' && text[end] != '\\') ++end;
    if (end == from + 1 || end >= text.size() || text[end] != '"') return from;
    return end;
}

// (\d+)
std::size_t TypeValueEnd(const std::string& text, std::size_t from) { return SkipDigits(text, from); }

// (-?\d+) : a minus sign without a digit after it fails, since \d cannot take the sign either.
std::size_t ErrorValueEnd(const std::string& text, std::size_t from) {
    const std::size_t digits = from < text.size() && text[from] == '-' ? from + 1 : from;
    const std::size_t end = SkipDigits(text, digits);
    return end == digits ? from : end;
}

std::optional<std::string> Search(const std::string& text, const std::string& name,
                                  std::size_t (*valueEnd)(const std::string&, std::size_t),
                                  std::size_t groupOffset) {
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        std::size_t next = SkipSpace(text, at + name.size());
        if (next >= text.size() || text[next] != ':') continue;
        next = SkipSpace(text, next + 1);
        const std::size_t end = valueEnd(text, next);
        if (end == next) continue;
        return text.substr(next + groupOffset, end - next - groupOffset);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> PeerField(const std::string& text) {
    return Search(text, PEER_NAME, PeerValueEnd, 1);
}

std::optional<std::string> TypeField(const std::string& text) {
    return Search(text, TYPE_NAME, TypeValueEnd, 0);
}

std::optional<std::string> ErrorField(const std::string& text) {
    return Search(text, ERROR_NAME, ErrorValueEnd, 0);
}
