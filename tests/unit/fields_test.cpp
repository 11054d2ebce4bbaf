// The hand-written field matchers against the regular-expression search they stand for.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "tunnel/fields.h"

namespace {

using Field = std::optional<std::string>;
using Matcher = Field (*)(const std::string&);

struct Pattern {
    const char* name;
    const char* text;
    Matcher matcher;
};

const Pattern PATTERNS[] = {
    {"peer", PEER_PATTERN, PeerField},
    {"type", TYPE_PATTERN, TypeField},
    {"error", ERROR_PATTERN, ErrorField},
};

// The reference: group 1 of std::regex's leftmost search (texts short enough for its recursion).
Field RegexField(const std::regex& expression, const std::string& text) {
    std::smatch match;
    if (!std::regex_search(text, match, expression)) return std::nullopt;
    return match[1].str();
}

std::string Show(const Field& field) { return field ? "\"" + *field + "\"" : "(none)"; }

// Counts in found[i] whether pattern i found something.
void ExpectSameAsRegex(const std::string& text, int* found = nullptr) {
    static const std::regex expressions[] = {std::regex(PATTERNS[0].text, std::regex::ECMAScript),
                                             std::regex(PATTERNS[1].text, std::regex::ECMAScript),
                                             std::regex(PATTERNS[2].text, std::regex::ECMAScript)};
    for (int i = 0; i < 3; ++i) {
        const Field field = PATTERNS[i].matcher(text);
        EXPECT_EQ(Show(field), Show(RegexField(expressions[i], text)))
            << PATTERNS[i].name << " in [" << text << "]";
        if (found) found[i] += field.has_value();
    }
}

struct Case {
    std::string text;
    Field peer, type, error;
};

const Field NONE = std::nullopt;

const std::vector<Case> CASES = {
    {"", NONE, NONE, NONE},
    {R"({"peerid":"dev1","type":4,"errcode":0})", "dev1", "4", "0"},
    {"{\"peerid\" \t\r\n:\n\v\f \"dev 2\"}", "dev 2", NONE, NONE},
    {R"({"peerid":"a\"b","peerid":"c"})", "c", NONE, NONE},
    {R"({"peerid":"a\\b"})", NONE, NONE, NONE},
    {R"({"peerid":"first","peerid":"second"})", "first", NONE, NONE},
    {R"({"peerid":"","peerid":"x"})", "x", NONE, NONE},
    {R"({"peerid":""})", NONE, NONE, NONE},
    {R"({"peerid" : "abc)", NONE, NONE, NONE},
    {"{\"peerid\":\"abc\n\"peerid\":\"def\"}", "abc\n", NONE, NONE},
    {R"({"peerid":abc"})", NONE, NONE, NONE},
    {R"({"peerID":"abc"})", NONE, NONE, NONE},
    {R"({"peerid"::"abc"})", NONE, NONE, NONE},
    {R"({"peerid":"pgTunnelSvr"})", "pgTunnelSvr", NONE, NONE},
    {R"({"peerid":"pgTunnelSvrX"})", "pgTunnelSvrX", NONE, NONE},
    {"{\"peerid\":\"\xE4\xB8\xAD\x80\xFF\"}", "\xE4\xB8\xAD\x80\xFF", NONE, NONE},
    {R"({"msg":"{\"peerid\":\"inner\"}"})", NONE, NONE, NONE},
    {R"({"msg":"say \"peerid\":\"x\""})", NONE, NONE, NONE},
    {R"({"msg":"\"peerid\":\"inner\" "})", NONE, NONE, NONE},
    {R"(x"peerid":"inner"y)", "inner", NONE, NONE},
    {R"({"type":12.5})", NONE, "12", NONE},
    {R"({"type":"12"})", NONE, NONE, NONE},
    {R"({"type":"12","type":7})", NONE, "7", NONE},
    {R"({"type": 000123})", NONE, "000123", NONE},
    {R"({"type":-3})", NONE, NONE, NONE},
    {R"({"type":4294967296})", NONE, "4294967296", NONE},
    {"{\"type\"\n:\r\n99}", NONE, "99", NONE},
    {R"({"subtype":5})", NONE, NONE, NONE},
    {R"({"a":{"b":[{"type":3}]}})", NONE, "3", NONE},
    {R"({"s":"x","type" :8})", NONE, "8", NONE},
    {R"({"errcode":-0})", NONE, NONE, "-0"},
    {R"({"errcode":00})", NONE, NONE, "00"},
    {R"({"errcode":"0"})", NONE, NONE, NONE},
    {R"({"errcode":-})", NONE, NONE, NONE},
    {R"({"errcode":-,"errcode":-12})", NONE, NONE, "-12"},
    {R"({"errcode":"x","errcode":3})", NONE, NONE, "3"},
    {R"({"errcode":--1})", NONE, NONE, NONE},
    {R"({"errcode":- 1})", NONE, NONE, NONE},
    {R"({"errcode": -7.5})", NONE, NONE, "-7"},
    {R"({"errcode":+1})", NONE, NONE, NONE},
};

}  // namespace

TEST(Fields, HandMadeTexts) {
    for (const Case& c : CASES) {
        EXPECT_EQ(Show(PeerField(c.text)), Show(c.peer)) << c.text;
        EXPECT_EQ(Show(TypeField(c.text)), Show(c.type)) << c.text;
        EXPECT_EQ(Show(ErrorField(c.text)), Show(c.error)) << c.text;
        ExpectSameAsRegex(c.text);
    }
}

// Texts made of the pieces the patterns care about, in random order.
TEST(Fields, RandomTextsMatchTheRegexSearch) {
    const std::vector<std::string> pieces = {
        "\"peerid\"", "\"type\"", "\"errcode\"", "\"peer", "id\"", "\"", "\"", ":", ":", " ", "\t", "\n",
        "\r", "\v", "\f", "\\", "\\\"", "-", "-", "0", "7", "12", "a", "b", "a", "pgTunnelSvr", ",", "{", "}", ".",
        "\x80", "\xFF", "\xE4\xB8\xAD", "e", "type"};
    const std::string prefixes[] = {"\"peerid\":", "\"type\":", "\"errcode\":"};
    const std::string starts[] = {"", " ", "\"", "-", "0", "\"a"};
    std::mt19937 random(20240611);
    int found[3] = {};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 16);
        for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
        // Most begin with a field name and a colon, so that they get far into a pattern.
        if (round % 4) text = prefixes[round % 3] + starts[random() % 6] + text;
        ExpectSameAsRegex(text, found);
        if (HasFailure()) break;
    }
    // The texts do reach the values, not only the names.
    for (int i = 0; i < 3; ++i) EXPECT_GT(found[i], 500) << PATTERNS[i].name;
}

// A backtracking engine dies of stack exhaustion here; the matchers must not.
TEST(Fields, LongestTextsAreHandled) {
    const std::size_t limit = 16384;
    const std::string peer(limit - 11, 'p');
    EXPECT_EQ(PeerField("\"peerid\":\"" + peer + "\""), peer);
    const std::string digits(limit - 7, '9');
    EXPECT_EQ(TypeField("\"type\":" + digits), digits);
    const std::string code = "-" + std::string(limit - 11, '0');
    EXPECT_EQ(ErrorField("\"errcode\":" + code), code);
    const std::string spaces(limit - 9, ' ');
    EXPECT_EQ(ErrorField("\"errcode\"" + spaces), NONE);
    EXPECT_EQ(PeerField("\"peerid\":" + std::string(limit - 9, '"')), NONE);
    std::string names;
    while (names.size() < limit) names += "\"peerid\":\"a\\";
    EXPECT_EQ(PeerField(names), NONE);
}
