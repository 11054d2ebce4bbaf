// The saved language as the console reads it from "language.txt" at start-up.
#include <gtest/gtest.h>

#include "support/launch.h"
#include "text/translations.h"

namespace {

// The language of the user's locale as the console should pick it: English unless the locale's
// language is one of the table's.
std::string LocaleLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    const std::string code = {static_cast<char>(name[0]), static_cast<char>(name[1])};
    return translations.count(code) ? code : "en";
}

}  // namespace

TEST(LanguageFile, FirstTokenNamesTheLanguageAndTheFileStaysAsItIs) {
    struct Case {
        const char* content;
        std::string language;  // empty: the locale's language
    };
    const Case cases[] = {
        {"fr", "fr"},
        {"  fr\r\n", "fr"},
        {"ja ko", "ja"},
        {"EN", ""},
        {"\xEF\xBB\xBF" "fr", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        ClearDataFolder();
        const auto file = DataFolder() / L"language.txt";
        WriteBytes(file, c.content);
        const Console console = Launch(LayOut(L"language", Library::STANDIN, "# nothing to report"));
        const HWND window = WaitForMainWindow(console);
        ASSERT_NE(window, nullptr);
        const std::string expected = c.language.empty() ? LocaleLanguage() : c.language;
        EXPECT_EQ(Text(window), translations.at(expected).at("app"));
        EXPECT_EQ(QuitConsole(console), std::optional<DWORD>(0));
        EXPECT_EQ(ReadBytes(file), c.content);
    }
}
