// Connection-type numbers -> translation keys, and every key that can come out has a text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "text/language.h"
#include "text/translations.h"
#include "text/type_keys.h"

namespace {

const struct {
    std::uint32_t type;
    const char* key;
} CASES[] = {
    {4, "ipv4"},     {5, "full"},       {6, "host"},      {7, "port"},       {8, "symmetric"},
    {12, "lan"},     {13, "loop"},      {16, "tcp4"},     {17, "http4"},     {24, "peer"},
    {32, "ipv6"},    {36, "local6"},    {40, "tcp6"},     {41, "http6"},     {128, "p2p"},
    {129, "local"},  {130, "peer"},     {131, "relay"},   {65535, "offline"},
    // A peer that has just come online holds 0 until its type arrives.
    {0, "unknown"},
    // The neighbours of the numbers above.
    {3, "unknown"},  {9, "unknown"},    {11, "unknown"},  {14, "unknown"},   {15, "unknown"},
    {18, "unknown"}, {23, "unknown"},   {25, "unknown"},  {31, "unknown"},   {33, "unknown"},
    {35, "unknown"}, {37, "unknown"},   {39, "unknown"},  {42, "unknown"},   {127, "unknown"},
    {132, "unknown"}, {65534, "unknown"},
    // Past 16 bits: no truncation to a known number.
    {65536, "unknown"}, {65536 + 4, "unknown"}, {0x10000 + 0xFFFF, "unknown"},
    {4294967295u, "unknown"}, {4294967295u - 65535 + 4, "unknown"},
};

TEST(TypeKey, EveryNumberGivesItsKey) {
    for (int round = 0; round < 2; ++round)
        for (const auto& c : CASES) EXPECT_EQ(TypeKey(c.type), c.key) << c.type << " round " << round;
}

TEST(TypeKey, EveryKeyHasATextInEveryLanguage) {
    for (const std::string code : {"zh", "en", "fr", "de", "ja", "ko"}) {
        language = code;
        for (const auto& c : CASES) {
            const std::string key = TypeKey(c.type);
            ASSERT_EQ(translations.at(code).count(key), 1u) << code << "/" << key;
            EXPECT_EQ(T(key), translations.at(code).at(key)) << code << "/" << key;
            EXPECT_NE(T(key), std::wstring(key.begin(), key.end())) << code << "/" << key;
        }
    }
}

}  // namespace
