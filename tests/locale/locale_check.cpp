// Run with LC_ALL set by ctest: the language in force must follow the locale that Wine
// reports for the user, T must show that language's texts, and a chosen language must win
// over the locale.
#include <cstdio>
#include <string>

#include "text/language.h"
#include "text/translations.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string expected = argv[1];
    int passed = 0, failed = 0;
    auto check = [&](bool ok, const char* what) {
        ok ? ++passed : ++failed;
        if (!ok) std::printf("failed: %s\n", what);
    };
    std::printf("language in force: %s, expected %s\n", LanguageCode().c_str(), expected.c_str());
    check(LanguageCode() == expected, "the locale's language is in force");
    check(T("app") == translations.at(expected).at("app"), "T follows the locale");
    language = "fr";
    check(LanguageCode() == "fr", "a chosen language wins over the locale");
    check(T("quit") == L"Quitter l\u2019application", "T shows the chosen language");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
