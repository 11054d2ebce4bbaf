// The tunnel state at start-up and the device-ID text built from the peer table.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "text/translations.h"
#include "tunnel/state.h"

namespace {

TEST(TunnelState, StartsStoppedDisconnectedAndEmpty) {
    EXPECT_FALSE(running);
    EXPECT_EQ(loginState, "disconnected");
    EXPECT_TRUE(peers.empty());
    EXPECT_EQ(DeviceIDs(), L"");
    // Each login state is shown through its own translation.
    for (const char* key : LOGIN_STATE_KEYS) EXPECT_EQ(translations.at("en").count(key), 1u) << key;
}

TEST(TunnelState, DeviceIDsStandOnePerLineInByteOrder) {
    const struct {
        const char* name;
        PeerMap table;
        std::wstring text;
    } cases[] = {
        {"no peer", {}, L""},
        {"single peer", {{"7D0C9A1E-0000-4000-8000-000000000001", 16}},
         L"7D0C9A1E-0000-4000-8000-000000000001"},
        {"a prefix before its extensions", {{"b", 0}, {"a", 4}, {"ab", 65535}}, L"a\r\nab\r\nb"},
        {"capitals before small letters", {{"zeta", 0}, {"Zulu", 0}}, L"Zulu\r\nzeta"},
        {"bytes of 0x80 and above after ASCII",
         {{"\xC3\xA9t\xC3\xA9", 0}, {"zz", 0}, {"\xE4\xB8\xAD", 0}, {"\x7F", 0}},
         L"zz\r\n\x7F\r\n\u00E9t\u00E9\r\n\u4E2D"},
        {"above U+FFFF", {{"\xF0\x9F\x98\x80", 8}}, std::wstring(L"\xD83D\xDE00")},
        {"offline peer stays listed", {{"x", 65535}, {"y", 0xFFFFFFFFu}}, L"x\r\ny"},
    };
    for (const auto& c : cases) {
        peers = c.table;
        EXPECT_EQ(DeviceIDs(), c.text) << c.name;
        EXPECT_EQ(peers, c.table) << c.name << ": DeviceIDs changes nothing";
    }
}

TEST(TunnelState, IllFormedIdShowsReplacementButStaysAsItCame) {
    const std::string bad = "peer-\xFF-end";
    peers = {{bad, 5}, {"a", 0}};
    const std::wstring text = DeviceIDs();
    ASSERT_EQ(text.substr(0, 8), L"a\r\npeer-");
    EXPECT_EQ(text.substr(text.size() - 4), L"-end");
    EXPECT_NE(text.find(L'\uFFFD'), std::wstring::npos);
    EXPECT_EQ(peers.count(bad), 1u);
    EXPECT_EQ(peers.begin()->first, "a");
    EXPECT_EQ(std::next(peers.begin())->first, bad);
}

}  // namespace
