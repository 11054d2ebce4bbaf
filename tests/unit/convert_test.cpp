// Narrow <-> wide conversion on Wine's real kernel32.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/convert.h"

namespace {

struct WellFormed {
    const char* name;
    std::string narrow;
    std::wstring wide;
};

// Every case converts both ways, unit for unit and byte for byte.
const std::vector<WellFormed> WELL_FORMED = {
    {"empty", "", L""},
    {"ascii", "abc", L"abc"},
    {"cjk, 3 bytes -> 1 unit", "\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"},
    {"above U+FFFF, 4 bytes -> 2 units", "x\xF0\x9F\x98\x80y", std::wstring(L"x\xD83D\xDE00y")},
    {"highest scalar value", "\xF4\x8F\xBF\xBF", std::wstring(L"\xDBFF\xDFFF")},
    {"NUL inside", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    {"NUL at both ends", std::string("\0z\0", 3), std::wstring(L"\0z\0", 3)},
    {"mixed scripts", "\xC3\x89tat \xEC\x83\x81\xED\x83\x9C \xE2\x80\xA6",
     L"\u00C9tat \uC0C1\uD0DC \u2026"},
};

TEST(Convert, WellFormedTextsConvertBothWaysExactly) {
    for (const auto& c : WELL_FORMED) {
        SCOPED_TRACE(c.name);
        const std::wstring wide = Wide(c.narrow);
        EXPECT_EQ(wide, c.wide);
        EXPECT_EQ(wide.size(), c.wide.size()) << "no terminator is carried in the result";
        const std::string narrow = UTF8(c.wide);
        EXPECT_EQ(narrow, c.narrow);
        EXPECT_EQ(narrow.size(), c.narrow.size());
    }
}

// Every scalar value from U+0000 to U+10FFFF (surrogates excluded) survives both round trips.
TEST(Convert, EveryScalarValueRoundTrips) {
    std::wstring all;
    for (unsigned long c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        if (c < 0x10000) {
            all += static_cast<wchar_t>(c);
        } else {
            all += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            all += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    const std::string narrow = UTF8(all);
    // 128 one-byte, 1920 two-byte, 61440 three-byte and 1048576 four-byte characters.
    EXPECT_EQ(narrow.size(), 128u + 1920u * 2 + 61440u * 3 + 1048576u * 4);
    EXPECT_TRUE(Wide(narrow) == all);
    EXPECT_TRUE(UTF8(Wide(narrow)) == narrow);
}

const std::wstring REPLACEMENT = L"\uFFFD";
const std::string REPLACEMENT_BYTES = "\xEF\xBF\xBD";

// before + bad + after must become before, one or more replacement characters, after.
template <typename Text>
void ExpectReplaced(const Text& result, const Text& before, const Text& after, const Text& replacement) {
    ASSERT_GE(result.size(), before.size() + replacement.size() + after.size());
    EXPECT_EQ(result.substr(0, before.size()), before);
    EXPECT_EQ(result.substr(result.size() - after.size()), after);
    Text middle = result.substr(before.size(), result.size() - before.size() - after.size());
    ASSERT_EQ(middle.size() % replacement.size(), 0u);
    for (size_t i = 0; i < middle.size(); i += replacement.size())
        EXPECT_EQ(middle.substr(i, replacement.size()), replacement) << "at " << i;
}

TEST(Convert, IllFormedUtf8BecomesReplacementCharacters) {
    const struct {
        const char* name;
        std::string bad;
    } cases[] = {
        {"lone 0xFF", "\xFF"},
        {"lone continuation byte", "\x80"},
        {"truncated 3-byte sequence", "\xE4\xB8"},
        {"truncated 4-byte sequence", "\xF0\x9F\x98"},
        {"overlong slash", "\xC0\xAF"},
        {"overlong NUL", "\xC0\x80"},
        {"overlong 3-byte", "\xE0\x80\xAF"},
        {"encoded surrogate", "\xED\xA0\x80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplaced(Wide("ab" + c.bad + "cd"), std::wstring(L"ab"), std::wstring(L"cd"), REPLACEMENT);
        ExpectReplaced(Wide(c.bad + "\xE4\xB8\xAD"), std::wstring(), std::wstring(L"\u4E2D"), REPLACEMENT);
        ExpectReplaced(Wide(c.bad), std::wstring(), std::wstring(), REPLACEMENT);
    }
}

TEST(Convert, LoneSurrogatesBecomeEfBfBd) {
    const struct {
        const char* name;
        std::wstring bad;
    } cases[] = {
        {"lone high", std::wstring(1, wchar_t(0xD800))},
        {"lone low", std::wstring(1, wchar_t(0xDC00))},
        {"pair reversed", std::wstring(L"\xDE00\xD83D")},
        {"two highs", std::wstring(L"\xD83D\xD83D")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectReplaced(UTF8(L"ab" + c.bad + L"cd"), std::string("ab"), std::string("cd"), REPLACEMENT_BYTES);
        ExpectReplaced(UTF8(c.bad + L"\u00E9"), std::string(), std::string("\xC3\xA9"), REPLACEMENT_BYTES);
        ExpectReplaced(UTF8(c.bad), std::string(), std::string(), REPLACEMENT_BYTES);
    }
}

}  // namespace
