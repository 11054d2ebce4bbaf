// The translation table's shape and the typography its texts must keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "text/translations.h"

namespace {

const std::vector<std::string> LANGUAGES = {"zh", "en", "fr", "de", "ja", "ko"};

const std::set<std::string> KEYS = {
    "app", "cancel", "connect", "connected", "connection_type", "copied", "copy_device",
    "copy_tunnel", "device", "device_status", "disconnected", "full", "hide_console", "host",
    "http4", "http6", "ipv4", "ipv6", "lan", "language", "local", "local6", "logged_in",
    "logging_in", "login_failed", "loop", "no_device", "offline", "open_logs", "p2p",
    "p2p_status", "peer", "peer_id", "port", "quit", "quit_confirm", "quit_detail", "quit_hint",
    "relay", "show_console", "start", "stop", "symmetric", "system_language", "tcp4", "tcp6",
    "tunnel_id", "unknown",
};

// The eight texts that carry a parenthesised detail.
const std::vector<std::string> PARENTHESISED = {"full", "host", "port", "symmetric",
                                                "tcp4", "tcp6", "http4", "http6"};

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

const std::wstring& Text(const std::string& code, const std::string& key) {
    return translations.at(code).at(key);
}

TEST(Translations, SixLanguagesOfTheSame48Keys) {
    ASSERT_EQ(KEYS.size(), 48u);
    std::set<std::string> codes;
    size_t texts = 0;
    for (const auto& language : translations) {
        codes.insert(language.first);
        std::set<std::string> keys;
        for (const auto& entry : language.second) keys.insert(entry.first);
        EXPECT_EQ(keys, KEYS) << language.first;
        texts += language.second.size();
    }
    EXPECT_EQ(codes, std::set<std::string>(LANGUAGES.begin(), LANGUAGES.end()));
    EXPECT_EQ(texts, 288u);
}

TEST(Translations, EveryTextKeepsThePlainTypography) {
    // Spaces other than U+0020, ASCII quotes and invisible characters have no place in any text.
    const std::wstring forbidden = L"'\"\u00A0\u202F\u2007\u2009\u200A\u200B\u3000\uFEFF\u00AD";
    for (const auto& language : translations) {
        for (const auto& entry : language.second) {
            const std::wstring& text = entry.second;
            SCOPED_TRACE(language.first + "/" + entry.first);
            EXPECT_GE(text.size(), 2u);
            EXPECT_LE(text.size(), 89u);
            for (wchar_t unit : text) {
                EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF) << "surrogate " << std::hex << unsigned(unit);
                EXPECT_FALSE(unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) << "control " << unsigned(unit);
                EXPECT_EQ(forbidden.find(unit), std::wstring::npos) << "character U+" << std::hex << unsigned(unit);
            }
            EXPECT_NE(text.front(), L' ');
            EXPECT_NE(text.back(), L' ');
            EXPECT_EQ(text.find(L"  "), std::wstring::npos);
            EXPECT_EQ(text.find(L"..."), std::wstring::npos);
        }
    }
}

TEST(Translations, LengthsAndSharedTexts) {
    size_t longest = 0;
    for (const auto& language : translations)
        for (const auto& entry : language.second) longest = std::max(longest, entry.second.size());
    EXPECT_EQ(longest, 89u);
    const struct {
        const char* code;
        size_t length;
    } quitDetail[] = {{"de", 89}, {"fr", 83}, {"en", 79}};
    for (const auto& c : quitDetail) EXPECT_EQ(Text(c.code, "quit_detail").size(), c.length) << c.code;
    EXPECT_EQ(Text("en", "p2p"), L"P2P direct");
    EXPECT_EQ(Text("fr", "p2p"), L"P2P direct");
}

TEST(Translations, EveryLoggingInEndsInOneEllipsis) {
    for (const auto& code : LANGUAGES) {
        const std::wstring& text = Text(code, "logging_in");
        EXPECT_TRUE(EndsWith(text, L"\u2026")) << code;
        EXPECT_EQ(Count(text, L"\u2026"), 1u) << code;
        EXPECT_NE(text[text.size() - 2], L'.') << code;
    }
}

TEST(Translations, FrenchApostrophesAreRightSingleQuotes) {
    const std::set<std::string> withApostrophe = {"connection_type", "copy_device", "copy_tunnel", "device",
                                                  "device_status", "peer_id", "quit", "quit_confirm"};
    size_t total = 0;
    for (const auto& entry : translations.at("fr")) {
        const size_t n = Count(entry.second, L"\u2019");
        total += n;
        EXPECT_EQ(n != 0, withApostrophe.count(entry.first) != 0) << entry.first;
    }
    EXPECT_EQ(total, 9u);
    EXPECT_EQ(Count(Text("fr", "copy_device"), L"\u2019"), 2u);
    // The French space before ":" and "?" is an ordinary one.
    EXPECT_EQ(Text("fr", "connected"), L"\u00C9tat : connect\u00E9");
    EXPECT_TRUE(EndsWith(Text("fr", "quit_confirm"), L"application ?"));
}

TEST(Translations, QuitHintQuotationMarksFollowEachLanguage) {
    const struct {
        const char* code;
        std::wstring open, close;
    } cases[] = {
        {"en", L"\u201C", L"\u201D"},   {"zh", L"\u201C", L"\u201D"}, {"fr", L"\u00AB ", L" \u00BB"},
        {"de", L"\u201E", L"\u201C"},   {"ja", L"\u300C", L"\u300D"}, {"ko", L"\u2018", L"\u2019"},
    };
    for (const auto& c : cases) {
        const std::wstring& text = Text(c.code, "quit_hint");
        SCOPED_TRACE(c.code);
        const size_t open = text.find(c.open);
        const size_t close = text.rfind(c.close);
        ASSERT_NE(open, std::wstring::npos);
        ASSERT_NE(close, std::wstring::npos);
        EXPECT_LT(open + c.open.size(), close);
        EXPECT_EQ(Count(text, c.open), 1u);
        EXPECT_EQ(Count(text, c.close), 1u);
    }
    EXPECT_EQ(Text("en", "quit_hint"), L"Use \u201CQuit\u201D from the menu bar to exit.");
    EXPECT_EQ(Text("de", "quit_hint"), L"Zum Beenden \u201EBeenden\u201C in der Men\u00FCleiste w\u00E4hlen.");
}

TEST(Translations, ChineseAndJapaneseUseFullwidthPunctuationKoreanAscii) {
    for (const std::string code : {"zh", "ja"}) {
        SCOPED_TRACE(code);
        for (const auto& key : PARENTHESISED) {
            const std::wstring& text = Text(code, key);
            EXPECT_EQ(Count(text, L"\uFF08"), 1u) << key;
            EXPECT_TRUE(EndsWith(text, L"\uFF09")) << key;
            EXPECT_EQ(text.find(L" \uFF08"), std::wstring::npos) << key;
            EXPECT_EQ(text.find_first_of(L"()"), std::wstring::npos) << key;
        }
        EXPECT_EQ(Count(Text(code, "connected"), L"\uFF1A"), 1u);
        EXPECT_TRUE(EndsWith(Text(code, "quit_confirm"), L"\uFF1F"));
        EXPECT_TRUE(EndsWith(Text(code, "quit_detail"), L"\u3002"));
        EXPECT_TRUE(EndsWith(Text(code, "quit_hint"), L"\u3002"));
        EXPECT_TRUE(EndsWith(Text(code, "device"), L" (UUID)"));
    }
    EXPECT_NE(Text("zh", "quit_detail").find(L"\uFF0C"), std::wstring::npos);
    for (const auto& key : PARENTHESISED) {
        const std::wstring& text = Text("ko", key);
        EXPECT_NE(text.find(L" ("), std::wstring::npos) << key;
        EXPECT_TRUE(EndsWith(text, L")")) << key;
    }
    EXPECT_EQ(Text("ko", "connected"), L"\uC0C1\uD0DC: \uC5F0\uACB0\uB428");
    EXPECT_TRUE(EndsWith(Text("ko", "quit_confirm"), L"?"));
    EXPECT_TRUE(EndsWith(Text("ko", "quit_detail"), L"."));
    EXPECT_TRUE(EndsWith(Text("ko", "quit_hint"), L"."));
}

TEST(Translations, SampleCellsUnitForUnit) {
    const struct {
        const char* code;
        const char* key;
        std::wstring text;
    } cases[] = {
        {"en", "app", L"TAMBRIX D2I Duzozur"},
        {"de", "quit", L"App beenden"},
        {"fr", "copy_device", L"Copier l\u2019ID de l\u2019appareil"},
        {"ja", "full", L"P2P \u76F4\u63A5\u63A5\u7D9A\uFF08\u30D5\u30EB\u30B3\u30FC\u30F3 NAT\uFF09"},
        {"zh", "logging_in", L"\u6B63\u5728\u767B\u5F55\u670D\u52A1\u5668\u2026"},
        {"zh", "quit_hint", L"\u8BF7\u4F7F\u7528\u83DC\u5355\u680F\u4E2D\u7684\u201C\u5173\u95ED\u5E94\u7528\u201D"
                            L"\u9000\u51FA\u3002"},
        {"ko", "quit_hint", L"\uC885\uB8CC\uD558\uB824\uBA74 \uBA54\uB274 \uB9C9\uB300\uC5D0\uC11C "
                            L"\u2018\uC885\uB8CC\u2019\uB97C \uC120\uD0DD\uD558\uC138\uC694."},
        {"de", "quit_detail", L"Die P2P-Verbindung wird geschlossen. "
                              L"Zum Ausblenden der Konsole verwenden Sie Minimieren."},
        {"en", "unknown", L"Detecting connection type"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(c.code, c.key), c.text) << c.code << "/" << c.key;
}

TEST(Translations, LookupsMatchCodesAndKeysExactly) {
    for (const std::string code : {"", "EN", "En", "zh-CN", "zh_CN", "pt", "e", "en "}) {
        EXPECT_EQ(translations.count(code), 0u) << "'" << code << "'";
        EXPECT_FALSE(HasLanguage(code)) << "'" << code << "'";
    }
    for (const auto& code : LANGUAGES) EXPECT_TRUE(HasLanguage(code)) << code;
    for (const auto& language : translations)
        for (const std::string key : {"App", "app ", " app", "APP", ""})
            EXPECT_EQ(language.second.count(key), 0u) << language.first << " '" << key << "'";
}

}  // namespace
