// The language in force and the lookup T with its fallbacks. How the language follows the
// user's locale is checked per locale by the locale_check runs (see tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <string>

#include "text/convert.h"
#include "text/language.h"
#include "text/translations.h"

namespace {

const char* const CODES[] = {"zh", "en", "fr", "de", "ja", "ko"};

TEST(Language, AChosenLanguageGivesItsOwnTextsForEveryKey) {
    for (const std::string code : CODES) {
        language = code;
        EXPECT_EQ(LanguageCode(), code);
        for (const auto& entry : translations.at(code)) EXPECT_EQ(T(entry.first), entry.second) << code << "/" << entry.first;
    }
    language = "fr";
    EXPECT_EQ(T("quit"), L"Quitter l\u2019application");
    language = "de";
    EXPECT_EQ(T("quit"), L"App beenden");
}

TEST(Language, WithoutAChoiceTheLocaleDecides) {
    language.clear();
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    // Under Wine the locale comes from LC_ALL/LANG; with C or an English locale it is en-US.
    const std::string prefix = UTF8(name).substr(0, 2);
    const std::string expected = HasLanguage(prefix) ? prefix : "en";
    EXPECT_EQ(LanguageCode(), expected) << "locale " << UTF8(name);
    EXPECT_EQ(T("app"), translations.at(expected).at("app"));
}

TEST(Language, KeysOutsideTheTableShowAsThemselves) {
    const struct {
        std::string key;
        std::wstring text;
    } cases[] = {
        {"no_such_key", L"no_such_key"},
        {"", L""},
        {"App", L"App"},
        {"quit ", L"quit "},
        {"cl\xC3\xA9", L"cl\u00E9"},
    };
    for (const std::string code : {"", "en", "ja"}) {
        language = code;
        for (const auto& c : cases) EXPECT_EQ(T(c.key), c.text) << "language '" << code << "', key '" << c.key << "'";
    }
}

TEST(Language, TGivesACopy) {
    language = "en";
    std::wstring text = T("quit");
    text += L" changed";
    EXPECT_EQ(T("quit"), L"Quit App");
    EXPECT_EQ(translations.at("en").at("quit"), L"Quit App");
}

TEST(Language, ChoicesAndTheirNames) {
    const std::array<std::string, 7> codes = {"", "zh", "en", "fr", "de", "ja", "ko"};
    EXPECT_EQ(LANGUAGE_CODES, codes);
    for (size_t i = 1; i < LANGUAGE_CODES.size(); ++i) EXPECT_TRUE(HasLanguage(LANGUAGE_CODES[i])) << i;
    const std::wstring names[] = {L"", L"\u4E2D\u6587", L"English", L"Fran\u00E7ais",
                                  L"Deutsch", L"\u65E5\u672C\u8A9E", L"\uD55C\uAD6D\uC5B4"};
    for (const std::string code : CODES) {
        language = code;
        EXPECT_EQ(LanguageName(0), translations.at(code).at("system_language")) << code;
        for (size_t i = 1; i < 7; ++i) EXPECT_EQ(LanguageName(i), names[i]) << code << " " << i;
    }
}

}  // namespace
